#include "tickwell_window.h"

#include "platform/colors.h"
#include "platform/dialogs.h"
#include "platform/program_dir.h"
#include "platform/shell.h"
#include "platform/sound.h"

#include <QCloseEvent>
#include <QMouseEvent>

namespace tickwell {

namespace {

const QString kSoundFile = QStringLiteral("Whoosh.wav");
const QString kLocalText = QStringLiteral("MEZ");
const QString kUtcText = QStringLiteral("GMT");
const QString kDesignCaption = QStringLiteral("Tick Well");

struct DigitPlace {
    int left, top, width, height, lineWidth, border;
};
constexpr std::array<DigitPlace, 7> kDigitPlaces = {{
    {-3, -1, 55, 80, 8, 6},   // hour tens
    {49, -1, 55, 80, 8, 6},   // hour units
    {100, -1, 35, 80, 7, 6},  // separator
    {131, -1, 55, 80, 8, 6},  // minute tens
    {182, -1, 55, 80, 8, 6},  // minute units
    {234, 39, 28, 40, 2, 7},  // second tens
    {256, 39, 28, 40, 2, 7},  // second units
}};
constexpr int kLargeDigits = 5;

// A normal window type rather than a tool window: that is what gives the
// clock its taskbar entry on every desktop.
constexpr Qt::WindowFlags kFramedFlags =
    Qt::Window | Qt::WindowStaysOnTopHint | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
    Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint;
// Without the caption's buttons: Qt gives a window with a minimize button a
// frame whatever else it is told.
constexpr Qt::WindowFlags kFramelessFlags =
    Qt::Window | Qt::WindowStaysOnTopHint | Qt::FramelessWindowHint;

constexpr std::array<int, kButtonCount> kButtonLefts = {-1, 40, 81, 122, 163, 204, 245};
const std::array<QColor, kButtonCount> kButtonDesignColors = {
    QColor(213, 255, 255), QColor(213, 213, 255), QColor(255, 246, 213), QColor(191, 253, 181),
    QColor(255, 223, 205), QColor(170, 238, 255), QColor(255, 255, 175)};

void Fill(QWidget* widget, const QColor& color) {
    QPalette palette = widget->palette();
    palette.setColor(QPalette::Window, color);
    widget->setPalette(palette);
    widget->setAutoFillBackground(true);
}

}  // namespace

void ClickPanel::mousePressEvent(QMouseEvent* event) {
    event->accept();
    if (event->button() == Qt::LeftButton) {
        pressed_ = true;
        secondOfDouble_ = false;
    }
}

void ClickPanel::mouseDoubleClickEvent(QMouseEvent* event) {
    event->accept();
    if (event->button() == Qt::LeftButton) {
        pressed_ = true;
        secondOfDouble_ = true;
        emit DblClick();
    }
}

void ClickPanel::mouseReleaseEvent(QMouseEvent* event) {
    event->accept();
    if (event->button() != Qt::LeftButton || !pressed_) {
        return;
    }
    pressed_ = false;
    if (!secondOfDouble_ && rect().contains(event->position().toPoint())) {
        emit Click();
    }
}

TForm1::TForm1(platform::Clock& clock, QWidget* parent)
    : QWidget(parent, kFramedFlags), clock_(clock) {
    setAttribute(Qt::WA_DeleteOnClose, false);
    BuildControls();
    FormCreate();
}

void TForm1::BuildControls() {
    setWindowTitle(kDesignCaption);
    QFont form = font();
    form.setPointSize(8);
    setFont(form);
    move(kDesignLeft, kDesignTop);
    SetWindowSize(width_, height_);

    const QColor cream = platform::ColorOf(QStringLiteral("clCream"));
    const QColor gray = platform::ColorOf(QStringLiteral("clGray"));
    Fill(this, cream);

    panel1_ = new ClickPanel(this);
    panel1_->setFrameStyle(QFrame::Box | QFrame::Plain);
    panel1_->setLineWidth(1);
    Fill(panel1_, cream);
    connect(panel1_, &ClickPanel::Click, this, &TForm1::Panel1Click);
    // The controls lie inside the panel's border and are clipped by it, as
    // those placed at -1 are meant to be.
    face_ = new ClickPanel(panel1_);
    connect(face_, &ClickPanel::Click, this, &TForm1::Panel1Click);

    for (std::size_t i = 0; i < digits_.size(); ++i) {
        const DigitPlace& place = kDigitPlaces[i];
        auto* digit = new TqenDigit(face_);
        digit->setGeometry(place.left, place.top, place.width, place.height);
        digit->SetLineWidth(place.lineWidth);
        digit->SetBorder(place.border);
        digit->SetBackColor(cream);
        digit->SetForeColor(gray);
        digit->SetOffColor(cream);
        digits_[i] = digit;
    }

    labelMezGmt_ = new ClickPanel(kLocalText, face_);
    QFont bold = labelMezGmt_->font();
    bold.setBold(true);
    labelMezGmt_->setFont(bold);
    QPalette labelPalette = labelMezGmt_->palette();
    labelPalette.setColor(QPalette::WindowText, gray);
    labelMezGmt_->setPalette(labelPalette);
    labelMezGmt_->move(248, 8);
    labelMezGmt_->adjustSize();
    connect(labelMezGmt_, &ClickPanel::Click, this, &TForm1::LabelMEZGMTClick);
    connect(labelMezGmt_, &ClickPanel::DblClick, this, &TForm1::LabelMEZGMTDblClick);

    panelAplication_ = new ClickPanel(face_);
    panelAplication_->setGeometry(0, 80, 290, 25);
    Fill(panelAplication_, cream);
    for (int n = 0; n < kButtonCount; ++n) {
        auto* button = new ClickPanel(panelAplication_);
        button->setGeometry(kButtonLefts[std::size_t(n)], -1, 42, 23);
        button->setFrameStyle(QFrame::Box | QFrame::Plain);
        button->setLineWidth(1);
        button->setAlignment(Qt::AlignCenter);
        Fill(button, kButtonDesignColors[std::size_t(n)]);
        connect(button, &ClickPanel::Click, this, [this, n] { PClick(n); });
        buttons_[std::size_t(n)] = button;
    }

    timerTick_ = new QTimer(this);
    timerTick_->setInterval(1000);
    connect(timerTick_, &QTimer::timeout, this, &TForm1::TimerTickTimer);
    timerTick_->start();
}

void TForm1::FormCreate() {
    settingsFile_ = ClockSettingsFile(platform::ProgramDirectory());
    separator_ = TimeSeparator(QLocale::system());
    try {
        settings_ = ReadClockSettings(platform::IniFile(settingsFile_).Load(), *this);
        showUtc_ = false;
        setWindowTitle(settings_.ClockLabel + QLatin1String(kVersionSuffix));
        SetWindowSize(FramedWidth(settings_.ExtraWidth), height_);
        panelAplication_->setVisible(settings_.ShowLauncher);
        SetWindowSize(width_, FramedHeight(settings_.ShowLauncher, settings_.ExtraHeight));
        const QColor digitColor = StringToColor(settings_.DigitColor);
        for (int i = 0; i < kLargeDigits; ++i) {
            digits_[std::size_t(i)]->SetForeColor(digitColor);
        }
        // Shown only once its position and size are set. The saved corner is
        // the frame's, and a window placed before it is shown is placed by its
        // frame; moved or resized after, but before the window manager has
        // framed it, its inside would go to that corner instead, and the clock
        // would creep by its caption's height at every start.
        show();
        platform::Beep(800, 500);
    } catch (const platform::Error& e) {
        // The rest of the start-up is skipped; the clock still runs with
        // whatever was set up to here.
        show();
        platform::ShowError(e.message());
    }
}

void TForm1::TimerTickTimer() {
    const QString text = TimeText(clock_.TimeOfDay(showUtc_), separator_);
    std::array<TqenDigit*, 7> changed{};
    std::size_t count = 0;
    for (std::size_t i = 0; i < digits_.size(); ++i) {
        const QChar c = text.at(kDigitSource[i]);
        // A separator outside 8-bit text has no figure and shows blank.
        if (digits_[i]->PutDigit(c.unicode() < 0x100 ? char(c.unicode()) : '\0')) {
            changed[count++] = digits_[i];
        }
    }
    // On X11 the changed digits go to the window straight from their kept
    // renderings, which costs a fraction of a paint event.
    if (blitter_.Show(std::span(changed.data(), count))) {
        return;
    }
    // Elsewhere, one changed digit, as in nine seconds of ten, is painted
    // here and now. Left to the event loop, its repaint would be posted as
    // an event that wakes the loop for one more pass: a sixth or so of what
    // the idle clock spends each second. Several changed digits wait for
    // that one pass, which paints them together.
    if (count == 1) {
        changed[0]->repaint();
    } else {
        for (std::size_t i = 0; i < count; ++i) {
            changed[i]->update();
        }
    }
}

void TForm1::LabelMEZGMTClick() {
    const QString sound = platform::ProgramDirectory() + kSoundFile;
    if (labelMezGmt_->text() == kLocalText) {
        labelMezGmt_->setText(kUtcText);
        showUtc_ = true;
    } else {
        labelMezGmt_->setText(kLocalText);
        showUtc_ = false;
    }
    platform::PlaySoundFile(sound);
}

void TForm1::LabelMEZGMTDblClick() {
    close();
}

void TForm1::PClick(int n) {
    const QString& path = settings_.LaunchPaths[std::size_t(n)];
    if (!path.isEmpty()) {
        platform::ShellOpen(path);
    } else {
        platform::PlaySoundFile(kSoundFile);
    }
}

void TForm1::Panel1Click() {
    if (!frameless_) {
        SetFrameless(true);
        SetWindowSize(width_ - (kFrameWidth + settings_.ExtraWidth),
                      height_ - (kFrameHeight + settings_.ExtraHeight));
    } else {
        SetWindowSize(width_ + (kFrameWidth + settings_.ExtraWidth),
                      height_ + (kFrameHeight + settings_.ExtraHeight));
        SetFrameless(false);
    }
}

void TForm1::SaveWindowPosition() {
    const platform::IniFile file(settingsFile_);
    platform::IniDocument doc = file.Load();
    doc.WriteInteger(QStringLiteral("VIEW"), QStringLiteral("TOP"), pos().y());
    doc.WriteInteger(QStringLiteral("VIEW"), QStringLiteral("LEFT"), pos().x());
    file.Save(doc);
}

void TForm1::closeEvent(QCloseEvent* event) {
    // A settings file that cannot be written costs the position, not the
    // ability to close the clock.
    try {
        SaveWindowPosition();
    } catch (const platform::Error& e) {
        platform::ShowError(e.message());
    }
    event->accept();
}

void TForm1::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    if (panel1_) {
        panel1_->setGeometry(rect());
        face_->setGeometry(rect().adjusted(1, 1, -1, -1));
    }
}

void TForm1::SetWindowSize(int width, int height) {
    width_ = width;
    height_ = height;
    const int frameWidth = frameless_ ? 0 : kFrameWidth;
    const int frameHeight = frameless_ ? 0 : kFrameHeight;
    setFixedSize(std::max(0, width - frameWidth), std::max(0, height - frameHeight));
}

void TForm1::SetFrameless(bool frameless) {
    frameless_ = frameless;
    const bool visible = isVisible();
    const QPoint at = pos();
    // Changing the frame may re-create the native window (or unmap and map
    // it again); keep its place.
    setWindowFlags(frameless ? kFramelessFlags : kFramedFlags);
    SetWindowSize(width_, height_);
    move(at);
    if (visible) {
        show();
    }
}

void TForm1::SetTop(int top) {
    move(pos().x(), top);
}

void TForm1::SetLeft(int left) {
    move(left, pos().y());
}

void TForm1::SetButtonColor(int n, const QColor& color) {
    Fill(buttons_[std::size_t(n)], color);
}

QString TForm1::ButtonCaption(int n) const {
    return buttons_[std::size_t(n)]->text();
}

void TForm1::SetButtonCaption(int n, const QString& caption) {
    buttons_[std::size_t(n)]->setText(caption);
}

}  // namespace tickwell
