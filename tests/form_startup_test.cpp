// The window's layout, its start-up with the retry box, and its two controls.
#include "app/error_box.h"
#include "app/panel.h"
#include "test_support.h"

#include <QComboBox>
#include <QLabel>
#include <QTimer>

#include <gtest/gtest.h>

namespace {

using Kind = SimulatedComPort::PortKind;

const QString retryText = QStringLiteral("Устройство не найдено или неработоспособно, проверьте устройство !");

struct WidgetLayout {
    const char *name;
    QRect bounds; // empty size: sized to its text
    bool hidden;
    QString text;
    QString fontFamily;
    int fontPixels;
    bool boldItalic;
    QColor textColor; // invalid: not checked
};

TEST(MainWindow, LayoutMatchesTheDesign)
{
    FormHarness h;
    TForm1 &form = *h.form;
    EXPECT_EQ(form.objectName(), "Form1");
    EXPECT_EQ(form.windowTitle(), QStringLiteral("Прозвонка кабеля."));
    EXPECT_EQ(form.pos(), QPoint(190, 146));
    EXPECT_EQ(form.size(), QSize(821, 504));
    EXPECT_EQ(form.font().family(), "MS Sans Serif");
    EXPECT_EQ(form.font().pixelSize(), 11);
    const Qt::WindowFlags flags = form.windowFlags();
    EXPECT_FALSE(flags & (Qt::WindowCloseButtonHint | Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint |
                          Qt::WindowSystemMenuHint));
    EXPECT_TRUE(flags & Qt::WindowTitleHint);

    const WidgetLayout widgets[] = {
        {"Label2", {472, 0, 0, 0}, false, "", "MS Sans Serif", 24, false, {}},
        {"Panel2", {8, 40, 801, 425}, false, "57", "Tahoma", 467, true, Qt::red},
        {"Label1", {16, 168, 0, 0}, true, "Label1", "Tahoma", 37, true, Qt::blue},
        {"Panel5", {664, 0, 137, 33}, false, "exit", "MS Sans Serif", 11, false, {}},
        {"Panel1", {304, 0, 113, 33}, false, QStringLiteral("звук отключить"), "MS Sans Serif", 11, false, {}},
    };
    QStringList order;
    for (QObject *child : form.children())
        if (child->isWidgetType())
            order << child->objectName();
    EXPECT_EQ(order, QStringList({"Label2", "ComboBox1", "Panel2", "Panel5", "Panel1"})) << "creation order";

    for (const WidgetLayout &w : widgets) {
        auto *label = form.findChild<QLabel *>(w.name);
        ASSERT_NE(label, nullptr) << w.name;
        if (w.bounds.size().isEmpty())
            EXPECT_EQ(label->pos(), w.bounds.topLeft()) << w.name;
        else
            EXPECT_EQ(label->geometry(), w.bounds) << w.name;
        EXPECT_EQ(label->isHidden(), w.hidden) << w.name;
        EXPECT_EQ(label->text(), w.text) << w.name;
        EXPECT_EQ(label->font().family(), w.fontFamily) << w.name;
        EXPECT_EQ(label->font().pixelSize(), w.fontPixels) << w.name;
        EXPECT_EQ(label->font().bold() && label->font().italic(), w.boldItalic) << w.name;
        if (w.textColor.isValid())
            EXPECT_EQ(label->palette().color(label->foregroundRole()), w.textColor) << w.name;
    }
    EXPECT_EQ(form.Label1->parentWidget(), form.Panel2);
    for (TPanel *panel : {form.Panel1, form.Panel2, form.Panel5}) {
        EXPECT_EQ(panel->frameShape(), QFrame::Panel);
        EXPECT_EQ(panel->frameShadow(), QFrame::Raised);
        EXPECT_EQ(panel->lineWidth(), 1);
        EXPECT_EQ(panel->alignment(), Qt::AlignCenter);
    }

    EXPECT_TRUE(form.ComboBox1->isHidden());
    EXPECT_EQ(form.ComboBox1->geometry(), QRect(112, 8, 145, 21));
    EXPECT_EQ(form.ComboBox1->currentText(), "ComboBox1");
    EXPECT_FALSE(form.Timer1->isActive());
    EXPECT_EQ(form.Timer1->interval(), 200);
    EXPECT_EQ(form.BComPort1->port(), "COM2");
    const ComPortSettings settings = form.BComPort1->settings;
    EXPECT_EQ(settings.baudRate, 9600);
    EXPECT_EQ(settings.writeTotalConstant, 1000);

    const TesterState fresh = form.state;
    EXPECT_EQ(fresh.curwire, 0);
    EXPECT_EQ(fresh.wirecount, 0);
    EXPECT_FALSE(fresh.exitflag);
    EXPECT_FALSE(fresh.soundon);
}

TEST(StartUp, TesterFoundAtFirstTry)
{
    FormHarness h;
    h.port->addTester("COM1", 12);
    h.form->create();

    EXPECT_EQ(h.form->windowTitle(), QStringLiteral("Прозвонка кабеля из 12 проводников "));
    EXPECT_EQ(h.form->Panel2->text(), "");
    EXPECT_FALSE(h.form->Panel2->isHidden());
    EXPECT_TRUE(h.form->state.soundon);
    EXPECT_EQ(h.form->state.curwire, 0);
    EXPECT_EQ(h.form->Panel1->text(), QStringLiteral("звук отключить"));
    EXPECT_TRUE(h.form->Timer1->isActive());
    EXPECT_EQ(h.boxes->retryBoxes, 0);
}

TEST(StartUp, RetryBoxRepeatsTheSearchUntilFoundOrCancelled)
{
    struct Case {
        const char *name;
        std::deque<bool> answers;
        int plugTesterBeforeBox; // 0: never
        int boxes;
        bool exitRequested;
    };
    const Case cases[] = {
        {"cancel", {}, 0, 1, true},
        {"OK, OK, cancel", {true, true}, 0, 3, true},
        {"OK, then found", {true}, 1, 1, false},
    };
    for (const Case &c : cases) {
        FormHarness h;
        h.port->addPort("COM1", Kind::Silent);
        h.boxes->retryAnswers = c.answers;
        h.boxes->beforeAnswer = [&] {
            if (h.boxes->retryBoxes == c.plugTesterBeforeBox)
                h.port->addTester("COM1", 5);
        };
        h.form->create();

        EXPECT_EQ(h.boxes->retryBoxes, c.boxes) << c.name;
        EXPECT_EQ(openedPorts(*h.port).size(), c.boxes + (c.exitRequested ? 0 : 1)) << c.name;
        EXPECT_EQ(h.form->state.exitflag, c.exitRequested) << c.name;
        EXPECT_TRUE(h.form->Timer1->isActive()) << c.name;
        EXPECT_FALSE(h.port->connected() && c.exitRequested) << c.name;
        for (int i = 0; i < c.boxes; ++i) {
            EXPECT_EQ(h.boxes->retryCaptions[i], QStringLiteral("Прозвонка кабеля"));
            EXPECT_EQ(h.boxes->retryTexts[i], retryText);
        }
        if (c.exitRequested) {
            EXPECT_EQ(h.form->windowTitle(), QStringLiteral("Прозвонка кабеля.")) << c.name;
            EXPECT_EQ(h.form->Panel2->text(), "57") << c.name;
        } else {
            EXPECT_EQ(h.form->windowTitle(), QStringLiteral("Прозвонка кабеля из 5 проводников ")) << c.name;
        }
    }
}

TEST(StartUp, CancelClosesTheWindowAtTheFirstTick)
{
    FormHarness h;
    h.form->create();
    h.form->show();
    ASSERT_TRUE(h.form->isVisible());
    h.form->Timer1Timer();
    EXPECT_FALSE(h.form->Timer1->isActive());
    EXPECT_FALSE(h.form->isVisible());
    EXPECT_EQ(h.clock->now, 0);
}

TEST(StartUp, UnreadablePortListEndsStartUpInTheErrorBox)
{
    FormHarness h;
    h.port->failListing(true);
    h.form->create();

    ASSERT_EQ(h.boxes->errorTexts.size(), 1);
    EXPECT_EQ(h.boxes->errorTexts[0], QStringLiteral("Ошибка обращения к системному реестру."));
    EXPECT_EQ(h.boxes->errorCaptions[0], applicationTitle(QCoreApplication::applicationFilePath()));
    EXPECT_EQ(h.boxes->retryBoxes, 0);
    EXPECT_FALSE(h.form->Timer1->isActive());
    EXPECT_EQ(h.form->Panel2->text(), "57");
    EXPECT_FALSE(h.form->state.exitflag);
}

TEST(Controls, SoundControlFlipsAndExitControlOnlyRequestsExit)
{
    FormHarness h;
    h.form->state.soundon = true;
    const QString captions[] = {QStringLiteral("звук включить"), QStringLiteral("звук отключить")};
    for (int press = 0; press < 2; ++press) {
        const int pumpsBefore = h.pumps;
        h.form->Panel1->clicked();
        EXPECT_EQ(h.form->state.soundon, press == 1);
        EXPECT_EQ(h.form->Panel1->text(), captions[press]);
        EXPECT_EQ(h.pumps, pumpsBefore + 1) << "the sound control lets the window repaint";
    }
    h.form->Panel5->clicked();
    EXPECT_TRUE(h.form->state.exitflag);
    EXPECT_TRUE(h.port->calls().empty());
}

TEST(Lifecycle, CloseCommandEndsTheProgramWhenNoScanRuns)
{
    FormHarness h;
    h.form->show();
    EXPECT_TRUE(h.form->close());
}

TEST(Lifecycle, DestroyingTheWindowClosesThePort)
{
    // The port outlives nothing but the window, so it hands its record over as it goes.
    struct PortWithLastWords : SimulatedComPort {
        QStringList *lastLog;
        ~PortWithLastWords() override { *lastLog = callLog(); }
    };
    QStringList log;
    auto port = std::make_unique<PortWithLastWords>();
    port->lastLog = &log;
    port->addTester("COM1", 3);
    FormParts parts;
    parts.comPort = std::move(port);
    parts.messageBoxes = std::make_unique<ScriptedMessageBoxes>();
    parts.mediaPlayer = std::make_unique<RecordingPlayer>();
    parts.sleeper = std::make_unique<VirtualClock>();
    parts.processMessages = [] {};
    auto form = std::make_unique<TForm1>(std::move(parts));
    form->create();
    ASSERT_TRUE(form->BComPort1->connected());
    form.reset();
    EXPECT_EQ(log.mid(log.size() - 4), QStringList({"DTR-", "RTS-", "purge", "release"}));
}

} // namespace
