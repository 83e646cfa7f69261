#pragma once

// Gets past the login dialog at start the way a person does: once the
// dialog is up, ticks "离线登陆" and presses "登陆(&O)", or types a name and
// password and presses "登陆(&O)", or presses "取消(&C)". Keep one alive
// while the program starts.
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QWidget>

class LoginAtStart final
{
public:
    enum class Choice { Offline, Cancel, Online };

    // Online logs in as `name` with `password`.
    explicit LoginAtStart(Choice choice = Choice::Offline, const QString &name = {}, const QString &password = {})
        : m_choice(choice), m_name(name), m_password(password)
    {
        QObject::connect(&m_timer, &QTimer::timeout, [this] { poll(); });
        m_timer.start(10);
    }
    // Whether the dialog was seen and answered.
    bool answered() const { return m_answered; }

private:
    void poll()
    {
        QWidget *dialog = QApplication::activeModalWidget();
        if (!dialog || dialog->objectName() != QLatin1String("Frm_Login") || !dialog->isVisible())
            return;
        m_timer.stop();
        m_answered = true;
        if (m_choice == Choice::Cancel) {
            QTest::mouseClick(dialog->findChild<QPushButton *>(QStringLiteral("Button2")), Qt::LeftButton);
            return;
        }
        auto *offline = dialog->findChild<QCheckBox *>(QStringLiteral("CheckBox2"));
        if (offline->isChecked() != (m_choice == Choice::Offline))
            QTest::mouseClick(offline, Qt::LeftButton);
        if (m_choice == Choice::Online) {
            dialog->findChild<QComboBox *>(QStringLiteral("cb_username"))->setEditText(m_name);
            dialog->findChild<QLineEdit *>(QStringLiteral("ed_password"))->setText(m_password);
        }
        QTest::mouseClick(dialog->findChild<QPushButton *>(QStringLiteral("Button1")), Qt::LeftButton);
    }

    Choice m_choice;
    QString m_name;
    QString m_password;
    QTimer m_timer;
    bool m_answered = false;
};
