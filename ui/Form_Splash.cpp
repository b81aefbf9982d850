#include "Form_Splash.h"
#include "ui_Form_Splash.h"

#include "model/Records.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEvent>
#include <QGuiApplication>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QScreen>
#include <QTimer>
#include <QWindow>

#include <exception>

TSplashForm::TSplashForm(std::filesystem::path dataDir, std::shared_ptr<TCatalogues> catalogues, QWidget* frame)
    : QWidget(nullptr, Qt::SplashScreen | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint |
                          Qt::WindowDoesNotAcceptFocus),
      Ui_(std::make_unique<Ui::TSplashForm>()),
      TheTimer(new QTimer(this)),
      DataDir_(std::move(dataDir)),
      Catalogues_(std::move(catalogues)),
      Frame_(frame)
{
    Ui_->setupUi(this);
    // The frame stays usable while the splash is up: it never takes the focus from it.
    setAttribute(Qt::WA_ShowWithoutActivating);
    setAttribute(Qt::WA_DeleteOnClose);
    // Its going is no reason for the application to end.
    setAttribute(Qt::WA_QuitOnClose, false);
    setFixedSize(size());
    Ui_->SplashImage->setPixmap(SplashPicture(width(), height()));
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());

    TheTimer->setObjectName(QStringLiteral("TheTimer"));
    TheTimer->setSingleShot(true);
    TheTimer->setInterval(Lifetime);
    connect(TheTimer, &QTimer::timeout, this, &TSplashForm::TheTimerTimer);
    TheTimer->start();
}

TSplashForm::~TSplashForm() = default;

// Activation can arrive while the window system is still putting the splash on screen; the
// loading waits for the screen, so it runs from the event loop, not from inside that delivery.
bool TSplashForm::event(QEvent* event)
{
    if (event->type() == QEvent::WindowActivate && !Loaded_)
        QTimer::singleShot(0, this, &TSplashForm::FormActivate);
    return QWidget::event(event);
}

void TSplashForm::FormActivate()
{
    if (Loaded_)
        return;
    Loaded_ = true;
    WaitUntilExposed();
    Ui_->VerLabel->setText(Ui_->VerLabel->text() + u' ' + QString::fromLatin1(VersionText));
    RunLoader(QStringLiteral("Loading NPC's.."), [this] { Catalogues_->LoadNPCs(DataDir_); });
    RunLoader(QStringLiteral("Loading Items.."), [this] { Catalogues_->LoadItems(DataDir_); });
    RunLoader(QStringLiteral("Loading Jobs.."), [this] { Catalogues_->LoadJobs(DataDir_); });
    RunLoader(QStringLiteral("Loading Maps.."), [this] { Catalogues_->LoadMaps(DataDir_); });
    ShowStatus(QStringLiteral("Enjoy!"));
    if (Frame_)
        Frame_->show();
}

// A catalogue that cannot be read is reported once loading is over, and the others are loaded
// all the same: the editor is still of use with, say, no item database.
template <class F>
void TSplashForm::RunLoader(const QString& status, F&& loader)
{
    ShowStatus(status);
    try {
        loader();
    } catch (const std::exception& error) {
        LoadErrors_ << QString::fromUtf8(error.what());
    }
}

// The status texts can only be painted once the window system has put the splash on screen;
// activation may come before that. A window system that never shows it is not waited for long.
void TSplashForm::WaitUntilExposed()
{
    constexpr int PatienceMs = 1000;
    QElapsedTimer waited;
    waited.start();
    while (windowHandle() && !windowHandle()->isExposed() && waited.elapsed() < PatienceMs)
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents, 20);
}

void TSplashForm::ShowStatus(const QString& text)
{
    Ui_->LoadLabel->setText(text);
    Ui_->LoadLabel->repaint();
}

void TSplashForm::TheTimerTimer()
{
    TheTimer->stop();
    close();
}

QPixmap SplashPicture(int width, int height)
{
    QPixmap picture(width, height);
    QPainter painter(&picture);
    painter.setRenderHint(QPainter::Antialiasing);

    QLinearGradient sky(0, 0, 0, height);
    sky.setColorAt(0.0, QColor(18, 32, 84));
    sky.setColorAt(1.0, QColor(74, 28, 96));
    painter.fillRect(picture.rect(), sky);

    // A speech bubble: what the editor is about.
    QPainterPath bubble;
    bubble.addRoundedRect(QRectF(width * 0.06, height * 0.10, width * 0.88, height * 0.36), 18, 18);
    QPainterPath tail;
    tail.moveTo(width * 0.26, height * 0.45);
    tail.lineTo(width * 0.20, height * 0.56);
    tail.lineTo(width * 0.36, height * 0.45);
    painter.setPen(QPen(QColor(255, 255, 255, 200), 2));
    painter.setBrush(QColor(255, 255, 255, 40));
    painter.drawPath(bubble.united(tail));

    QFont title(QStringLiteral("Arial"));
    title.setPixelSize(24);
    title.setBold(true);
    painter.setFont(title);
    painter.setPen(Qt::white);
    painter.drawText(QRectF(0, height * 0.12, width, height * 0.18), Qt::AlignCenter,
                     QStringLiteral("Vask's NPC Editor"));
    QFont subtitle(QStringLiteral("Arial"));
    subtitle.setPixelSize(13);
    painter.setFont(subtitle);
    painter.setPen(QColor(220, 220, 255));
    painter.drawText(QRectF(0, height * 0.29, width, height * 0.12), Qt::AlignCenter,
                     QStringLiteral("Scripts for eAthena NPCs"));

    // A strip for the status line at the bottom.
    painter.fillRect(QRectF(0, height - 30, width, 30), QColor(0, 0, 0, 90));
    return picture;
}
