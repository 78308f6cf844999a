#include "app/error_box.h"

#include <QStringList>

#include <gtest/gtest.h>

namespace {

TEST(ErrorBox, TitleComesFromTheExecutableName)
{
    const std::pair<QString, QString> cases[] = {
        {"C:/Tools/CABLE.EXE", "Cable"},
        {"/usr/bin/prozvonka", "prozvonka"},
        {"/opt/x/Prozvonka.Demo.bin", "Prozvonka"},
        {"/opt/ПРОЗВОНКА.EXE", "Прозвонка"},
        {"/opt/.hidden", ""},
    };
    for (const auto &[path, title] : cases)
        EXPECT_EQ(applicationTitle(path), title) << path.toStdString();
}

TEST(ErrorBox, FullStopAddedAfterCharactersAboveFullStop)
{
    const std::pair<QString, QString> cases[] = {
        {"Порт занят другой программой", "Порт занят другой программой."},
        {"abc", "abc."},
        {"code 7", "code 7."},
        {"why?", "why?."},
        {"list:", "list:."},
        {"trailing ", "trailing "},
        {"stop!", "stop!"},
        {"(x)", "(x)"},
        {"a-", "a-"},
        {"done.", "done."},
        {"", ""},
    };
    for (const auto &[message, shown] : cases)
        EXPECT_EQ(errorBoxText(message), shown) << message.toStdString();
}

TEST(ErrorBox, HandlerErrorsStopAtTheBox)
{
    struct Boxes : MessageBoxes {
        QStringList shown;
        bool askRetry(const QString &, const QString &) override { return false; }
        void showError(const QString &, const QString &text) override { shown << text; }
    } boxes;
    bool after = false;
    runHandler(boxes, [] { throw std::runtime_error("Ошибка функции GetCommModemStatus"); });
    runHandler(boxes, [&] { after = true; });
    EXPECT_EQ(boxes.shown, QStringList({QStringLiteral("Ошибка функции GetCommModemStatus.")}));
    EXPECT_TRUE(after);
}

} // namespace
