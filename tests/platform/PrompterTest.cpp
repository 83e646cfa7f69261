// Message boxes: real Qt boxes answered by clicking their buttons, and the
// stream stand-in of runs without anybody to answer.
#include "platform/QtPrompter.h"
#include "platform/StreamPrompter.h"

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>

#include <gtest/gtest.h>

using platform::Prompter;

TEST(Prompter, BoxesShowTheirKindAndReturnTheButtonClicked)
{
    QWidget owner;
    platform::QtPrompter boxes;
    boxes.setOwner(&owner);

    // Each box as it was shown: icon, title, text, buttons (default first).
    QStringList shown;
    QString click; // the text of the button to click
    QTimer answer;
    answer.setInterval(10);
    QObject::connect(&answer, &QTimer::timeout, [&] {
        auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
        if (!box || !box->isVisible())
            return;
        QStringList texts;
        QAbstractButton *chosen = nullptr;
        for (QAbstractButton *b : box->buttons()) {
            texts << b->text();
            if (b->text() == click || click.isEmpty())
                chosen = b;
        }
        texts.sort();
        const QString byDefault = box->defaultButton() ? box->defaultButton()->text() : QString();
        shown << QStringLiteral("%1 %2 %3 %4 [%5] %6")
                     .arg(box->icon())
                     .arg(box->windowTitle(), box->text(), texts.join(u','), byDefault)
                     .arg(box->parentWidget() == &owner);
        chosen->click();
    });
    answer.start();

    boxes.inform(QStringLiteral("提示"), QStringLiteral("文件已保存"));
    boxes.inform(QStringLiteral("无"), QStringLiteral("纯文本"), Prompter::Icon::None);
    boxes.inform(QStringLiteral("警告"), QStringLiteral("磁盘将满"), Prompter::Icon::Warning);
    boxes.showError(QStringLiteral("磁盘已满"));
    click = QStringLiteral("是(&Y)");
    const bool yes = boxes.confirm(QStringLiteral("删除"), QStringLiteral("删除这个条目吗？"));
    click = QStringLiteral("否(&N)");
    const bool no = boxes.confirm(QStringLiteral("删除"), QStringLiteral("删除这个条目吗？"));
    click.clear();
    const Prompter::Answer ok =
        boxes.ask(QStringLiteral("问"), QStringLiteral("只有确定"), Prompter::Icon::Question, Prompter::Buttons::Ok);
    answer.stop();

    EXPECT_TRUE(yes);
    EXPECT_FALSE(no);
    EXPECT_EQ(ok, Prompter::Answer::Ok);
    const auto line = [](QMessageBox::Icon icon, const char *rest) {
        return QStringLiteral("%1 %2").arg(icon).arg(QString::fromUtf8(rest));
    };
    EXPECT_EQ(shown, (QStringList{line(QMessageBox::Information, "提示 文件已保存 确定 [] 1"),
                                  line(QMessageBox::NoIcon, "无 纯文本 确定 [] 1"),
                                  line(QMessageBox::Warning, "警告 磁盘将满 确定 [] 1"),
                                  line(QMessageBox::Critical, "错误 磁盘已满 确定 [] 1"),
                                  line(QMessageBox::Question, "删除 删除这个条目吗？ 否(&N),是(&Y) [是(&Y)] 1"),
                                  line(QMessageBox::Question, "删除 删除这个条目吗？ 否(&N),是(&Y) [是(&Y)] 1"),
                                  line(QMessageBox::Question, "问 只有确定 确定 [] 1")}));
}

TEST(Prompter, WithoutAnybodyMessagesGoToStderrAndQuestionsAreDenied)
{
    platform::StreamPrompter stream;
    testing::internal::CaptureStderr();
    stream.inform(QStringLiteral("提示"), QStringLiteral("文件已保存"));
    const bool confirmed = stream.confirm(QStringLiteral("删除"), QStringLiteral("删除吗？"));
    stream.showError(QStringLiteral("磁盘已满"));
    const QString written = QString::fromLocal8Bit(testing::internal::GetCapturedStderr());
    EXPECT_FALSE(confirmed);
    EXPECT_EQ(written, QStringLiteral("提示: 文件已保存\n删除: 删除吗？\n错误: 磁盘已满\n"));
}
