#include "app/titlefrm.h"

#include <QApplication>
#include <QLabel>
#include <QScreen>
#include <QStyle>
#include <QThread>

#include "app/about.h"
#include "platform/qt/fonts.h"

namespace {

QLabel* MakeLabel(QWidget* parent, const QString& text, const QRect& place, const char* colour,
                  int pixels, bool italic) {
    auto* label = new QLabel(text, parent);
    label->setGeometry(place);
    label->setAlignment(Qt::AlignCenter);
    label->setStyleSheet(QStringLiteral("color: %1").arg(QString::fromLatin1(colour)));
    QFont font = GothicFont(pixels, true);
    font.setItalic(italic);
    label->setFont(font);
    label->hide();
    return label;
}

}  // namespace

TTitleForm::TTitleForm() : QWidget(nullptr, Qt::SplashScreen | Qt::FramelessWindowHint) {
    setFixedSize(374, 329);
    setStyleSheet(QStringLiteral("background: black"));
    auto* panel = new QLabel(this);
    panel->setGeometry(0, 0, 374, 329);
    panel->setStyleSheet(QStringLiteral("background: black; border: 3px solid #404040"));
    TitleLabel1 = MakeLabel(this, QStringLiteral("ロト"), {4, 44, 353, 61}, "white", 12, false);
    TitleLabel2 = MakeLabel(this, QStringLiteral("ミナ"), {8, 116, 353, 85}, "white", 12, false);
    ShortNameLabel =
        MakeLabel(this, QStringLiteral("(QRLX)"), {240, 200, 117, 24}, "red", 24, true);
    VersionLabel =
        MakeLabel(this, QStringLiteral("Version 1.0"), {220, 232, 141, 21}, "white", 19, true);
    CopyLabel = MakeLabel(this, QString::fromUtf8(about::kMakerLine), {116, 272, 244, 18}, "white",
                          15, true);
    tqMarkImage = new QLabel(this);
    tqMarkImage->setGeometry(68, 248, 49, 43);
    tqMarkImage->setPixmap(style()->standardIcon(QStyle::SP_ComputerIcon).pixmap(40, 40));
    tqMarkImage->hide();
    if (QScreen* screen = QApplication::primaryScreen()) {
        move(screen->geometry().center() - rect().center());
    }
    Timer.setInterval(1000);
    connect(&Timer, &QTimer::timeout, this, [this] { TimerTimer(); });
    Timer.start();  // runs from creation, shown or not
}

void TTitleForm::showEvent(QShowEvent* event) {
    Timer.start();
    QWidget::showEvent(event);
}

void TTitleForm::TimerTimer() {
    static int runs = 0;
    if (runs++ > 0) {
        return;
    }
    Timer.stop();
    TitleLabel1->show();
    TitleLabel2->show();
    for (int size = 2; size <= 45; ++size) {
        for (QLabel* label : {TitleLabel1, TitleLabel2}) {
            QFont font = label->font();
            font.setPointSize(size);
            label->setFont(font);
            label->repaint();
        }
        QApplication::processEvents();
        QThread::msleep(10);
    }
    ShortNameLabel->show();
    CopyLabel->show();
    VersionLabel->show();
    tqMarkImage->show();
    QApplication::processEvents();
    QThread::msleep(1200);
    close();
}
