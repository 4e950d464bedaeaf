#include "app/versionfrm.h"

#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QStyle>

#include "app/about.h"
#include "platform/qt/fonts.h"
#include "platform/shellopen.h"
#include "platform/version.h"

namespace {

QLabel* LinkLabel(const char* address, QWidget* parent) {
    auto* label = new QLabel(QString::fromUtf8(address), parent);
    QFont font(QStringLiteral("Arial"));
    font.setPixelSize(13);
    font.setUnderline(true);
    label->setFont(font);
    label->setStyleSheet(QStringLiteral("color: blue"));
    label->setCursor(Qt::PointingHandCursor);
    return label;
}

// Calls `click` when the label is clicked.
class ClickFilter final : public QObject {
public:
    ClickFilter(QObject* parent, std::function<void(QLabel*)> click)
        : QObject(parent), mClick(std::move(click)) {}
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::MouseButtonRelease) {
            mClick(static_cast<QLabel*>(watched));
            return true;
        }
        return false;
    }

private:
    std::function<void(QLabel*)> mClick;
};

}  // namespace

TVersionForm::TVersionForm(QWidget* mainWindow)
    : QDialog(mainWindow, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::CustomizeWindowHint |
                              Qt::WindowTitleHint | Qt::WindowCloseButtonHint) {
    setWindowTitle(QStringLiteral("バージョン情報"));
    setFixedSize(338, 187);
    setFont(GothicFont(12));
    Image2 = new QLabel(this);
    Image2->setPixmap(style()->standardIcon(QStyle::SP_MessageBoxInformation).pixmap(32, 32));
    Image2->setGeometry(16, 12, 32, 32);
    Label3 = new QLabel(QStringLiteral("ロトミナ " QRLX_VERSION_SHORT), this);
    QFont title(QStringLiteral("ＭＳ 明朝"));
    title.setPixelSize(19);
    title.setBold(true);
    Label3->setFont(title);
    Label3->setGeometry(64, 16, 260, 26);
    Label7 = new QLabel(QString::fromUtf8(about::kMakerLine), this);
    Label7->setGeometry(64, 48, 260, 16);
    Label9 = new QLabel(QStringLiteral("Home Page"), this);
    Label9->setGeometry(16, 72, 120, 16);
    URLLabel = LinkLabel(about::kHomePage, this);
    URLLabel->setGeometry(32, 88, 290, 18);
    Label10 = new QLabel(QStringLiteral("Support Page"), this);
    Label10->setGeometry(16, 108, 120, 16);
    Label11 = LinkLabel(about::kSupportPage, this);
    Label11->setGeometry(32, 124, 290, 18);
    auto* rule = new QFrame(this);
    rule->setFrameShape(QFrame::HLine);
    rule->setFrameShadow(QFrame::Sunken);
    rule->setGeometry(8, 146, 322, 4);
    OKButton = new QPushButton(QStringLiteral("OK"), this);
    OKButton->setGeometry(130, 154, 78, 26);
    OKButton->setDefault(true);
    connect(OKButton, &QPushButton::clicked, this, &QDialog::accept);
    auto* links = new ClickFilter(this, [this](QLabel* label) { URLLabelClick(label); });
    URLLabel->installEventFilter(links);
    Label11->installEventFilter(links);
}

void TVersionForm::URLLabelClick(QLabel* label) {
    shellopen::ShellOpen(label->text().toStdString());
}

void TVersionForm::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape) {
        close();
        return;
    }
    QDialog::keyPressEvent(event);
}

void TVersionForm::showEvent(QShowEvent* event) {
    // Centred on the main window, also while the warning log (the main window's own
    // dialog) owns it.
    QWidget* main = parentWidget();
    while (main && main->parentWidget()) {
        main = main->parentWidget();
    }
    if (main) {
        move(main->geometry().center() - rect().center());
    }
    QDialog::showEvent(event);
}
