#pragma once

// Gets past the login dialog at start the way a person does: once the
// dialog is up, ticks "离线登陆" and presses "登陆(&O)", or presses
// "取消(&C)". Keep one alive while the program starts.
#include <QApplication>
#include <QCheckBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QWidget>

class LoginAtStart final
{
public:
    enum class Choice { Offline, Cancel };

    explicit LoginAtStart(Choice choice = Choice::Offline) : m_choice(choice)
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
        if (!offline->isChecked())
            QTest::mouseClick(offline, Qt::LeftButton);
        QTest::mouseClick(dialog->findChild<QPushButton *>(QStringLiteral("Button1")), Qt::LeftButton);
    }

    Choice m_choice;
    QTimer m_timer;
    bool m_answered = false;
};
