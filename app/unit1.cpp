#include "app/unit1.h"

#include "app/error_box.h"
#include "app/panel.h"
#include "scan/stepping_scan.h"
#include "tester/tester_search.h"

#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QLabel>
#include <QTimer>

namespace {

const QRect designedOuterBounds(190, 146, 821, 504);

QFont designFont(const QString &family, int pixelHeight, bool boldItalic = false)
{
    QFont font(family);
    font.setStyleHint(QFont::SansSerif);
    font.setPixelSize(pixelHeight);
    font.setBold(boldItalic);
    font.setItalic(boldItalic);
    return font;
}

void setTextColor(QWidget *widget, const QColor &color)
{
    QPalette palette = widget->palette();
    palette.setColor(widget->foregroundRole(), color);
    widget->setPalette(palette);
}

// Labels size themselves to their caption.
void setCaption(QLabel *label, const QString &text)
{
    label->setText(text);
    label->adjustSize();
}

} // namespace

TForm1::TForm1(FormParts parts, QWidget *parent)
    : QWidget(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint),
      BComPort1(std::move(parts.comPort)),
      MediaPlayer1(std::move(parts.mediaPlayer)),
      messageBoxes_(std::move(parts.messageBoxes)),
      sleeper_(std::move(parts.sleeper)),
      pump_(std::move(parts.processMessages))
{
    if (!pump_)
        pump_ = [] { QApplication::processEvents(); };
    createComponents();
}

TForm1::~TForm1()
{
    closeQuietly(*BComPort1);
}

void TForm1::createComponents()
{
    setObjectName("Form1");
    setWindowTitle(QStringLiteral("Прозвонка кабеля."));
    setFont(designFont("MS Sans Serif", 11));
    setAutoFillBackground(true);
    setBackgroundRole(QPalette::Button);
    move(designedOuterBounds.topLeft());
    resize(designedOuterBounds.size());

    Label2 = new QLabel(this);
    Label2->setObjectName("Label2");
    Label2->setFont(designFont("MS Sans Serif", 24));
    Label2->move(472, 0);
    setCaption(Label2, QString());

    ComboBox1 = new QComboBox(this);
    ComboBox1->setObjectName("ComboBox1");
    ComboBox1->setEditable(true);
    ComboBox1->setEditText("ComboBox1");
    ComboBox1->setGeometry(112, 8, 145, 21);
    ComboBox1->hide();

    Panel2 = new TPanel(this);
    Panel2->setObjectName("Panel2");
    Panel2->setGeometry(8, 40, 801, 425);
    Panel2->setFont(designFont("Tahoma", 467, true));
    setTextColor(Panel2, Qt::red);
    Panel2->setText("57");

    Label1 = new QLabel(Panel2);
    Label1->setObjectName("Label1");
    Label1->setFont(designFont("Tahoma", 37, true));
    setTextColor(Label1, Qt::blue);
    Label1->move(16, 168);
    setCaption(Label1, "Label1");
    Label1->hide();

    Panel5 = new TPanel(this);
    Panel5->setObjectName("Panel5");
    Panel5->setGeometry(664, 0, 137, 33);
    Panel5->setText("exit");
    connect(Panel5, &TPanel::clicked, this, [this] { runHandler(*messageBoxes_, [this] { Panel5Click(); }); });

    Panel1 = new TPanel(this);
    Panel1->setObjectName("Panel1");
    Panel1->setGeometry(304, 0, 113, 33);
    Panel1->setText(QStringLiteral("звук отключить"));
    connect(Panel1, &TPanel::clicked, this, [this] { runHandler(*messageBoxes_, [this] { Panel1Click(); }); });

    BComPort1->setPort("COM2");

    Timer1 = new QTimer(this);
    Timer1->setObjectName("Timer1");
    Timer1->setInterval(200);
    connect(Timer1, &QTimer::timeout, this, [this] { runHandler(*messageBoxes_, [this] { Timer1Timer(); }); });
}

void TForm1::create()
{
    runHandler(*messageBoxes_, [this] { FormCreate(); });
}

void TForm1::FormCreate()
{
    for (;;) {
        if (comportin1()) {
            setWindowTitle(QStringLiteral("Прозвонка кабеля из ") + QString::number(state.wirecount) +
                           QStringLiteral(" проводников "));
            Panel2->setText(QString());
            Panel2->show();
            state.soundon = true;
            state.curwire = 0;
            break;
        }
        BComPort1->close();
        const bool retry = messageBoxes_->askRetry(
            QStringLiteral("Прозвонка кабеля"),
            QStringLiteral("Устройство не найдено или неработоспособно, проверьте устройство !"));
        if (!retry) {
            state.exitflag = true;
            break;
        }
    }
    Timer1->start();
}

bool TForm1::comportin1()
{
    BComPort1->close();
    bool found = false;
    ComboBox1->clear();
    ComboBox1->clearEditText();
    processMessages();

    ComboBox1->addItems(BComPort1->listPorts());
    for (int i = 0; i < ComboBox1->count() && !found; ++i)
        found = probeForTester(*BComPort1, ComboBox1->itemText(i));
    processMessages();

    if (!found)
        return false;
    if (const auto count = countConductors(*BComPort1)) {
        state.wirecount = *count;
        return true;
    }
    // The marker came once and never again: the tester is not working.
    closeQuietly(*BComPort1);
    return false;
}

void TForm1::Panel1Click()
{
    state.soundon = !state.soundon;
    Panel1->setText(state.soundon ? QStringLiteral("звук отключить") : QStringLiteral("звук включить"));
    processMessages();
}

void TForm1::Panel5Click()
{
    state.exitflag = true;
}

void TForm1::Timer1Timer()
{
    Timer1->stop();
    if (state.exitflag)
        close();
    else
        poisk();
}

void TForm1::poisk()
{
    struct ScanRunning {
        bool &flag;
        explicit ScanRunning(bool &f) : flag(f) { flag = true; }
        ~ScanRunning() { flag = false; }
    };
    {
        ScanRunning running(scanRunning_);
        SteppingScan(state, *BComPort1, *MediaPlayer1, *this, *sleeper_).run();
    }
    close();
}

void TForm1::processMessages()
{
    pump_();
}

void TForm1::showConductor(const QString &number)
{
    Panel2->setText(number);
    Panel2->show();
}

void TForm1::hideConductor()
{
    Panel2->hide();
}

void TForm1::setStatusText(const QString &text)
{
    setCaption(Label2, text);
}

void TForm1::showMissingClip(const QString &message)
{
    setCaption(Label1, message);
    Label1->show();
}

void TForm1::hideMissingClip()
{
    Label1->hide();
}

void TForm1::closeEvent(QCloseEvent *event)
{
    // While the scan runs only the exit control ends the program.
    if (scanRunning_)
        event->ignore();
    else
        event->accept();
}

void TForm1::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    fitOuterSizeToDesign();
}

void TForm1::moveEvent(QMoveEvent *event)
{
    QWidget::moveEvent(event);
    fitOuterSizeToDesign();
}

void TForm1::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    fitOuterSizeToDesign();
}

// The designed bounds are those of the outer window, but its frame is known
// only once a window manager has framed it, some time after it is shown.
// Fit once, when the frame appears; without a window manager there is none.
void TForm1::fitOuterSizeToDesign()
{
    if (outerSizeFitted_ || !isVisible())
        return;
    const QSize frame = frameGeometry().size() - size();
    if (frame.width() <= 0 && frame.height() <= 0)
        return;
    outerSizeFitted_ = true;
    resize(designedOuterBounds.size() - frame);
    move(designedOuterBounds.topLeft());
}
