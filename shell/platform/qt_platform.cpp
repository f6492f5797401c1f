#include "shell/platform/qt_platform.h"

#include "common/Errors.h"
#include "shell/platform/qt_window.h"
#include "shell/platform/qt_x11events.h"
#include "shell/platform/x11_ewmh.h"
#include "shell/platform/xdg_desktop.h"

#include <QApplication>
#include <QClipboard>
#include <QCursor>
#include <QDesktopServices>
#include <QFontMetrics>
#include <QIcon>
#include <QMenu>
#include <QMessageBox>
#include <QMimeData>
#include <QPainter>
#include <QPixmap>
#include <QPointer>
#include <QProcess>
#include <QPushButton>
#include <QScreen>
#include <QStyleFactory>
#include <QTimer>
#include <QUrl>
#include <QWindow>

#include <algorithm>
#include <array>
#include <utility>

namespace nyarumi::qt {
namespace {

QString Text(std::string_view S) {
  return QString::fromUtf8(S.data(), static_cast<qsizetype>(S.size()));
}

struct PaletteSlot {
  int Index;
  QPalette::ColorGroup Group;
  QPalette::ColorRole Role;
};

// The system colours by their index, as the nearest roles of the application palette.
constexpr std::array<PaletteSlot, 30> SystemColors{{
    {0, QPalette::Active, QPalette::Button},
    {1, QPalette::Active, QPalette::Dark},
    {2, QPalette::Active, QPalette::Highlight},
    {3, QPalette::Active, QPalette::Mid},
    {4, QPalette::Active, QPalette::Window},
    {5, QPalette::Active, QPalette::Base},
    {6, QPalette::Active, QPalette::Shadow},
    {7, QPalette::Active, QPalette::WindowText},
    {8, QPalette::Active, QPalette::WindowText},
    {9, QPalette::Active, QPalette::HighlightedText},
    {10, QPalette::Active, QPalette::Button},
    {11, QPalette::Inactive, QPalette::Button},
    {12, QPalette::Active, QPalette::Dark},
    {13, QPalette::Active, QPalette::Highlight},
    {14, QPalette::Active, QPalette::HighlightedText},
    {15, QPalette::Active, QPalette::Button},
    {16, QPalette::Active, QPalette::Dark},
    {17, QPalette::Disabled, QPalette::Text},
    {18, QPalette::Active, QPalette::ButtonText},
    {19, QPalette::Inactive, QPalette::WindowText},
    {20, QPalette::Active, QPalette::Light},
    {21, QPalette::Active, QPalette::Shadow},
    {22, QPalette::Active, QPalette::Midlight},
    {23, QPalette::Active, QPalette::ToolTipText},
    {24, QPalette::Active, QPalette::ToolTipBase},
    {26, QPalette::Active, QPalette::Link},
    {27, QPalette::Active, QPalette::Highlight},
    {28, QPalette::Inactive, QPalette::Highlight},
    {29, QPalette::Active, QPalette::Highlight},
    {30, QPalette::Active, QPalette::Window},
}};

} // namespace

struct QtPlatform::Timer {
  // Shared with the timeout connection, so that killing a timer from inside its own callback
  // does not destroy the callback while it runs.
  struct State {
    std::function<void()> Callback;
  };
  std::shared_ptr<State> Shared;
  QTimer* Native = nullptr; // deleted later: it may be the one emitting right now
};

struct QtPlatform::Button {
  WindowId Parent = WindowId::None;
  std::int32_t TabOrder = 0;
  QPointer<QPushButton> Native;
};

QtPlatform::QtPlatform(std::string ASettingsPath) : FSettingsPath(std::move(ASettingsPath)) {
  if (qApp == nullptr) {
    throw Exception("QtPlatform needs a QApplication");
  }
  // Only Quit() ends the program; a hidden About window must not end it either.
  QApplication::setQuitOnLastWindowClosed(false);
  // Offscreen may still offer the X11 interface, but without a connection behind it.
  const auto* X11 = qApp->nativeInterface<QNativeInterface::QX11Application>();
  if (X11 != nullptr && X11->connection() != nullptr) {
    FXcb = std::make_unique<x11::TEwmh>(X11->connection());
    TX11Events::THandlers Handlers;
    Handlers.FrameExtentsChanged = [this](xcb_window_t AWindow) {
      // Only a window with a caption has a frame to learn of; a frameless one is put back
      // wherever the window manager places it. After Qt itself has seen the event: only then
      // does it read the new extents.
      QtWindow* W = WidgetOfNative(AWindow);
      if (W != nullptr && !W->windowFlags().testFlag(Qt::FramelessWindowHint)) {
        QTimer::singleShot(0, W, [W] { W->SyncFramePosition(); });
      }
    };
    Handlers.Obscured = [this](xcb_window_t AWindow) {
      if (QtWindow* W = WidgetOfNative(AWindow)) {
        W->Obscured();
      }
    };
    FX11Events = std::make_unique<TX11Events>(X11->connection(), std::move(Handlers));
  }
}

QtWindow* QtPlatform::WidgetOfNative(unsigned long ANativeId) const {
  for (const auto& [Id, W] : FWindows) {
    if (W->NativeId() == ANativeId) {
      return W.get();
    }
  }
  return nullptr;
}

QtPlatform::~QtPlatform() {
  FX11Events.reset(); // no event may reach a window that is being destroyed
  for (auto& [Id, T] : FTimers) {
    T->Native->stop();
    delete T->Native;
  }
  FButtons.clear();
  for (auto& [Id, W] : FWindows) {
    W->Detach();
  }
  FWindows.clear();
}

void QtPlatform::Dispatch(const std::function<void()>& ACallback) {
  try {
    ACallback();
  } catch (...) {
    if (!FPending) {
      FPending = std::current_exception();
    }
    QCoreApplication::exit(1);
  }
}

void QtPlatform::Run() {
  if (!std::exchange(FQuitRequested, false)) {
    QApplication::exec();
    FQuitRequested = false;
  }
  if (FPending) {
    std::rethrow_exception(std::exchange(FPending, nullptr));
  }
}

void QtPlatform::Quit() {
  FQuitRequested = true;
  // Not quit(): that first asks every window to close, and ours refuse (the window layer decides
  // what a close request means), which would cancel the quit.
  QCoreApplication::exit(0);
}

void QtPlatform::ProcessMessages() {
  QCoreApplication::processEvents();
  if (FPending) {
    std::rethrow_exception(std::exchange(FPending, nullptr));
  }
}

QtWindow* QtPlatform::Widget(WindowId AWindow) const {
  const auto It = FWindows.find(AWindow);
  return It == FWindows.end() ? nullptr : It->second.get();
}

unsigned long QtPlatform::NativeWindowId(WindowId AWindow) const {
  const QtWindow* W = Widget(AWindow);
  return W != nullptr ? W->NativeId() : 0;
}

WindowId QtPlatform::CreateNativeWindow(const TWindowParams& AParams, WindowEvents& AEvents) {
  const WindowId Id{FNextHandle++};
  FWindows.emplace(Id, std::make_unique<QtWindow>(
                           AParams, AEvents, FCache, FXcb.get(),
                           [this](const std::function<void()>& Call) { Dispatch(Call); }));
  return Id;
}

void QtPlatform::DestroyNativeWindow(WindowId AWindow) {
  const auto It = FWindows.find(AWindow);
  if (It == FWindows.end()) {
    return;
  }
  std::unique_ptr<QtWindow> W = std::move(It->second);
  FWindows.erase(It);
  std::erase_if(FButtons, [&](const auto& B) { return B.second->Parent == AWindow; });
  W->Detach();
  W->hide();
  if (W->InCallback()) {
    W.release()->deleteLater(); // Qt is still inside one of its handlers
  }
}

void QtPlatform::SetWindowCaption(WindowId AWindow, std::string_view ACaption) {
  if (QtWindow* W = Widget(AWindow)) {
    W->setWindowTitle(Text(ACaption));
  }
}

void QtPlatform::SetWindowGeometry(WindowId AWindow, TPoint AOuterTopLeft,
                                   std::int32_t AClientWidth, std::int32_t AClientHeight) {
  if (QtWindow* W = Widget(AWindow)) {
    W->SetGeometry(AOuterTopLeft, AClientWidth, AClientHeight);
  }
}

TRect QtPlatform::FrameExtents(WindowId AWindow) {
  const QtWindow* W = Widget(AWindow);
  if (W == nullptr || W->windowHandle() == nullptr) {
    return {};
  }
  const QMargins M = W->FrameMargins();
  return {M.left(), M.top(), M.right(), M.bottom()};
}

void QtPlatform::SetWindowVisible(WindowId AWindow, bool AVisible) {
  if (QtWindow* W = Widget(AWindow)) {
    if (!AVisible) {
      W->SyncFramePosition(); // shown again, it goes back exactly there
    }
    W->setVisible(AVisible);
  }
}

void QtPlatform::SetStayOnTop(WindowId AWindow, bool AStayOnTop) {
  if (QtWindow* W = Widget(AWindow)) {
    W->SetStayOnTop(AStayOnTop);
  }
}

void QtPlatform::SetSkipTaskbar(WindowId AWindow, bool ASkip) {
  if (QtWindow* W = Widget(AWindow)) {
    W->SetSkipTaskbar(ASkip);
  }
}

void QtPlatform::SetWindowCursor(WindowId AWindow, TCursorShape AShape) {
  if (QtWindow* W = Widget(AWindow)) {
    W->setCursor(AShape == TCursorShape::HandPoint ? Qt::PointingHandCursor : Qt::ArrowCursor);
  }
}

void QtPlatform::InvalidateWindow(WindowId AWindow, std::optional<TRect> AArea) {
  if (QtWindow* W = Widget(AWindow)) {
    W->Invalidate(AArea);
  }
}

void QtPlatform::UpdateWindow(WindowId AWindow) {
  if (QtWindow* W = Widget(AWindow)) {
    W->UpdateNow();
  }
  if (FPending) {
    std::rethrow_exception(std::exchange(FPending, nullptr));
  }
}

bool QtPlatform::WindowRegionContains(WindowId AWindow, TPoint APos) {
  const QtWindow* W = Widget(AWindow);
  return W != nullptr && W->RegionContains(APos);
}

// --- Buttons

QPushButton* QtPlatform::FindButton(ButtonId AButton) const {
  const auto It = FButtons.find(AButton);
  return It == FButtons.end() ? nullptr : It->second->Native.data();
}

ButtonId QtPlatform::CreateButton(WindowId AParent, const TButtonParams& AParams,
                                  std::function<void()> AOnClick) {
  QtWindow* W = Widget(AParent);
  if (W == nullptr) {
    return ButtonId::None;
  }
  auto* Native = new QPushButton(Text(AParams.Caption), W);
  Native->setGeometry(RectOf(AParams.Bounds));
  Native->setFont(FontOf(AParams.Font));
  Native->setEnabled(AParams.Enabled);
  Native->setVisible(AParams.Visible);
  QObject::connect(Native, &QPushButton::clicked,
                   [this, Call = std::move(AOnClick)] { Dispatch(Call); });
  const ButtonId Id{FNextHandle++};
  FButtons.emplace(Id, std::make_unique<Button>(Button{AParent, AParams.TabOrder, Native}));

  // Keyboard focus moves between the window's buttons in their tab order.
  std::vector<const Button*> Siblings;
  for (const auto& [BId, B] : FButtons) {
    if (B->Parent == AParent && B->Native) {
      Siblings.push_back(B.get());
    }
  }
  std::stable_sort(Siblings.begin(), Siblings.end(),
                   [](const Button* A, const Button* B) { return A->TabOrder < B->TabOrder; });
  for (std::size_t I = 1; I < Siblings.size(); ++I) {
    QWidget::setTabOrder(Siblings[I - 1]->Native, Siblings[I]->Native);
  }
  return Id;
}

void QtPlatform::DestroyButton(ButtonId AButton) {
  const auto It = FButtons.find(AButton);
  if (It == FButtons.end()) {
    return;
  }
  if (QPushButton* Native = It->second->Native.data()) {
    Native->hide();
    Native->deleteLater(); // it may be emitting its own click right now
  }
  FButtons.erase(It);
}

void QtPlatform::SetButtonBounds(ButtonId AButton, const TRect& ABounds) {
  if (QPushButton* B = FindButton(AButton)) {
    B->setGeometry(RectOf(ABounds));
  }
}

void QtPlatform::SetButtonCaption(ButtonId AButton, std::string_view ACaption) {
  if (QPushButton* B = FindButton(AButton)) {
    B->setText(Text(ACaption));
  }
}

void QtPlatform::SetButtonVisible(ButtonId AButton, bool AVisible) {
  if (QPushButton* B = FindButton(AButton)) {
    B->setVisible(AVisible);
  }
}

void QtPlatform::SetButtonEnabled(ButtonId AButton, bool AEnabled) {
  if (QPushButton* B = FindButton(AButton)) {
    B->setEnabled(AEnabled);
  }
}

// --- Regions: kept in the shared table; only the window's outline is native.

RegionId QtPlatform::CreateRectRgn(std::int32_t ALeft, std::int32_t ATop, std::int32_t ARight,
                                   std::int32_t ABottom) {
  return FRegions.CreateRectRgn(ALeft, ATop, ARight, ABottom);
}

TRegionKind QtPlatform::CombineRgn(RegionId ADest, RegionId ASource1, RegionId ASource2,
                                   TCombineMode AMode) {
  return FRegions.CombineRgn(ADest, ASource1, ASource2, AMode);
}

RegionId QtPlatform::ExtCreateRegion(std::span<const std::uint8_t> ARecord) {
  return FRegions.ExtCreateRegion(ARecord);
}

TRegionKind QtPlatform::GetRgnBox(RegionId ARegion, TRect& ABox) {
  return FRegions.GetRgnBox(ARegion, ABox);
}

TRegionKind QtPlatform::OffsetRgn(RegionId ARegion, std::int32_t ADx, std::int32_t ADy) {
  return FRegions.OffsetRgn(ARegion, ADx, ADy);
}

int QtPlatform::SetWindowRgn(WindowId AWindow, RegionId ARegion, bool ARedraw) {
  QtWindow* W = Widget(AWindow);
  if (W == nullptr) {
    return 0;
  }
  if (ARegion == RegionId::None) {
    W->SetRegion(std::nullopt);
  } else {
    auto Region = FRegions.Take(ARegion);
    if (!Region) {
      return 0; // unknown handle: the caller keeps nothing to lose
    }
    W->SetRegion(std::move(Region)); // the previous outline is freed here
  }
  if (ARedraw) {
    W->update();
  }
  return 1;
}

bool QtPlatform::DeleteObject(RegionId ARegion) {
  return FRegions.DeleteObject(ARegion);
}

// --- Timers

TimerId QtPlatform::CreateTimer(std::uint32_t AIntervalMs, std::function<void()> ACallback) {
  auto T = std::make_unique<Timer>();
  T->Shared = std::make_shared<Timer::State>();
  T->Shared->Callback = std::move(ACallback);
  T->Native = new QTimer;
  // A precise timer keeps the 100 ms cadence instead of drifting to the coarse 5% slack.
  T->Native->setTimerType(Qt::PreciseTimer);
  T->Native->setInterval(static_cast<int>(std::min<std::uint32_t>(AIntervalMs, INT32_MAX)));
  QObject::connect(T->Native, &QTimer::timeout,
                   [this, State = T->Shared] { Dispatch(State->Callback); });
  T->Native->start();
  if (!T->Native->isActive()) {
    delete T->Native;
    return TimerId::None;
  }
  const TimerId Id{FNextHandle++};
  FTimers.emplace(Id, std::move(T));
  return Id;
}

void QtPlatform::KillTimer(TimerId ATimer) {
  const auto It = FTimers.find(ATimer);
  if (It == FTimers.end()) {
    return;
  }
  It->second->Native->stop();
  It->second->Native->deleteLater();
  FTimers.erase(It);
}

// --- Desktop queries

std::optional<TPoint> QtPlatform::GetCursorPos() {
  const QPoint P = QCursor::pos();
  return TPoint{P.x(), P.y()};
}

bool QtPlatform::ProgramHasFocus() {
  return QGuiApplication::focusWindow() != nullptr;
}

double QtPlatform::DevicePixelRatio() const {
  const QScreen* S = QGuiApplication::primaryScreen();
  return S != nullptr ? S->devicePixelRatio() : 1.0;
}

std::optional<TRect> QtPlatform::ForegroundWindowRect() {
  if (!FXcb) {
    return std::nullopt;
  }
  std::vector<xcb_window_t> Ours;
  for (const QWindow* W : QGuiApplication::allWindows()) {
    if (W->handle() != nullptr) {
      Ours.push_back(static_cast<xcb_window_t>(W->winId()));
    }
  }
  const auto Device = FXcb->ActiveWindowFrame(Ours);
  if (!Device) {
    return std::nullopt;
  }
  // The cursor and our windows are in logical pixels; the X server's geometry is not.
  return x11::DeviceToLogical(*Device, DevicePixelRatio());
}

TRect QtPlatform::VirtualScreenRect() {
  const QScreen* S = QGuiApplication::primaryScreen();
  if (S == nullptr) {
    return {};
  }
  const QRect V = S->virtualGeometry();
  return {V.left(), V.top(), V.left() + V.width(), V.top() + V.height()};
}

TPoint QtPlatform::TextExtent(std::string_view AText, const TFontDesc& AFont,
                              std::optional<std::int32_t> AWrapWidth) {
  const QFontMetrics Metrics(FontOf(AFont));
  if (AText.empty()) {
    return {0, Metrics.height()};
  }
  constexpr int Unbounded = 1 << 20;
  const QRect Box(0, 0, AWrapWidth ? std::max(*AWrapWidth, 1) : Unbounded, Unbounded);
  const QRect R = Metrics.boundingRect(Box, TextFlags(AWrapWidth.has_value()), Text(AText));
  return {R.width(), R.height()};
}

TRgb QtPlatform::SystemColor(int AIndex) {
  for (const PaletteSlot& S : SystemColors) {
    if (S.Index == AIndex) {
      const QColor C = QApplication::palette().color(S.Group, S.Role);
      return {static_cast<std::uint8_t>(C.red()), static_cast<std::uint8_t>(C.green()),
              static_cast<std::uint8_t>(C.blue())};
    }
  }
  return {}; // an index the desktop has no colour for reads as black
}

// --- Modal user interface

namespace {
QIcon RadioBullet(const QColor& AColor) {
  QPixmap Bullet(16, 16);
  Bullet.fill(Qt::transparent);
  QPainter Painter(&Bullet);
  Painter.setRenderHint(QPainter::Antialiasing);
  Painter.setPen(Qt::NoPen);
  Painter.setBrush(AColor);
  Painter.drawEllipse(QRectF(5, 5, 6, 6));
  return QIcon(Bullet);
}
} // namespace

int QtPlatform::PopupMenu(TPoint AScreenPos, std::span<const TMenuEntry> AEntries) {
  QMenu Menu;
  Menu.setSeparatorsCollapsible(false); // leading and trailing separators are part of the look
  if (!FMenuStyle) {
    FMenuStyle.reset(QStyleFactory::create(QStringLiteral("Windows")));
  }
  if (FMenuStyle) {
    Menu.setStyle(FMenuStyle.get());
  }
  for (std::size_t I = 0; I < AEntries.size(); ++I) {
    const TMenuEntry& E = AEntries[I];
    if (E.Separator) {
      Menu.addSeparator();
      continue;
    }
    QString Caption = Text(E.Caption);
    if (!E.ShortCutText.empty()) {
      Caption += u'\t' + Text(E.ShortCutText); // shown in the shortcut column, not bound
    }
    QAction* A = Menu.addAction(Caption);
    A->setData(static_cast<int>(I));
    A->setEnabled(E.Enabled);
    if (E.Checked && E.RadioCheck) {
      // The classic style draws every check as a tick, so a radio check is a bullet icon.
      A->setIcon(RadioBullet(Menu.palette().color(QPalette::Text)));
    } else if (E.Checked) {
      A->setCheckable(true);
      A->setChecked(true);
    }
    if (E.Default) {
      Menu.setDefaultAction(A);
    }
  }
  const QAction* Chosen = Menu.exec(QPoint(AScreenPos.X, AScreenPos.Y));
  return Chosen != nullptr ? Chosen->data().toInt() : -1;
}

void QtPlatform::ShowErrorBox(std::string_view AText, std::string_view ACaption) {
  QMessageBox Box(QMessageBox::Critical, Text(ACaption), Text(AText), QMessageBox::Ok);
  Box.exec();
}

// --- Clipboard

void QtPlatform::SetClipboardText(std::string_view AText) {
  QGuiApplication::clipboard()->setText(Text(AText));
}

// --- The desktop around the program

bool QtPlatform::OpenUrl(std::string_view AUrl) {
  const QUrl Url(Text(AUrl), QUrl::TolerantMode);
  return Url.isValid() && QDesktopServices::openUrl(Url);
}

std::optional<std::string> QtPlatform::ReadSetting(std::string_view AKey, std::string_view AName) {
  // Read afresh each time: the file is small and read only when a link label is created.
  return xdg::TIniSettings::Load(FSettingsPath).Value(AKey, AName);
}

std::optional<std::string> QtPlatform::DefaultHandlerCommand(THandlerKind AKind) {
  return xdg::DefaultHandlerExec(AKind == THandlerKind::WebPage ? "text/html"
                                                                : "x-scheme-handler/mailto");
}

bool QtPlatform::StartHandler(THandlerKind, std::string_view ACommand, std::string_view AAddress) {
  return xdg::StartHandler(ACommand, AAddress);
}

} // namespace nyarumi::qt
