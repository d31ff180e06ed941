#include "app/skin_host.h"

#include <QAbstractItemView>
#include <QColor>
#include <QHeaderView>
#include <QTableView>

#include "memmodule/machine/create_machine.h"
#include "memmodule/skin/skin_attach.h"

namespace varomby::app {
namespace {

using Clock = std::chrono::steady_clock;

std::chrono::microseconds Since(Clock::time_point start) {
  return std::chrono::duration_cast<std::chrono::microseconds>(Clock::now() - start);
}

// Fallbacks for roles a skin leaves out: a neutral light look.
constexpr std::uint32_t kFallbackColors[VSKN_COLOR_COUNT] = {
    0xF0F0F0, 0xFFFFFF, 0x202020, 0x707070, 0x2F6FDE, 0xFFFFFF, 0xF6F6F6, 0xE8EEF8, 0xD0DCF0, 0x202020,
    0xFFFFFF, 0xB0B0B0, 0xEDEDED, 0x202020, 0xDDDDDD, 0x2F6FDE, 0xFFFFFF, 0xF7F7F7, 0xE6E6E6, 0x404040};

QColor Color(const SkinParameters& skin, int role) {
  return QColor::fromRgb(static_cast<QRgb>(skin.colors[role].value_or(kFallbackColors[role])));
}

QString Css(const SkinParameters& skin, int role) { return Color(skin, role).name(); }

int Metric(const SkinParameters& skin, int id, int fallback) { return skin.metrics[id].value_or(fallback); }

QString FontFamily(const SkinParameters& skin, int role) {
  const auto& font = skin.fonts[role];
  return font ? QString::fromUtf8(font->family) : QString();
}

// A vertical gradient from the skin's stops, or the plain colour without stops.
QString Fill(const SkinParameters& skin, int gradient, int fallbackRole) {
  const auto& stops = skin.gradients[gradient];
  if (stops.empty()) return Css(skin, fallbackRole);
  QString fill = QStringLiteral("qlineargradient(x1:0, y1:0, x2:0, y2:1");
  for (const GradientStop& stop : stops)
    fill += QStringLiteral(", stop:%1 %2")
                .arg(stop.position / 255.0, 0, 'f', 3)
                .arg(QColor::fromRgb(static_cast<QRgb>(stop.rgb)).name());
  return fill + QLatin1Char(')');
}

QFont FontFor(const SkinParameters& skin, int role, const QFont& base) {
  QFont font = base;
  if (const auto& wanted = skin.fonts[role]) {
    font.setFamilies({QString::fromUtf8(wanted->family)});
    font.setPointSize(wanted->pointSize);
    font.setWeight(static_cast<QFont::Weight>(wanted->weight));
  }
  return font;
}

// Replaces every %{name} in `text` with its value.
QString Substitute(QString text, const std::vector<std::pair<const char*, QString>>& values) {
  for (const auto& [name, value] : values)
    text.replace(QStringLiteral("%{") + QLatin1String(name) + QLatin1Char('}'), value);
  return text;
}

constexpr char kStyleTemplate[] = R"(
QWidget[varombySkin="true"], QDialog { background: %{windowFill}; }
QWidget { color: %{text}; }
QLabel { background: transparent; color: %{mutedText}; padding: 0px 2px; }
QPushButton {
  background: %{buttonFill}; color: %{buttonText};
  border: %{border}px solid %{borderColor}; border-radius: %{radius}px;
  padding: 2px %{padding}px;
}
QPushButton:hover { background: %{buttonHover}; border-color: %{accent}; }
QPushButton:pressed { background: %{buttonPressed}; color: %{accentText}; border-color: %{accent}; }
QPushButton:focus { border-color: %{accent}; }
QPushButton:disabled { background: %{panel}; color: %{mutedText}; border-color: %{grid}; }
QPushButton#按钮_对比 { background: %{accent}; color: %{accentText}; border-color: %{accent}; font-weight: 700; }
QPushButton#按钮_对比:hover { background: %{buttonPressed}; color: %{selectionText}; }
QPushButton#按钮_对比:disabled { background: %{panel}; color: %{mutedText}; border-color: %{grid}; }
QLineEdit, QPlainTextEdit {
  background: %{input}; color: %{text};
  border: %{border}px solid %{borderColor}; border-radius: %{radius}px;
  padding: 1px %{padding}px;
  selection-background-color: %{selection}; selection-color: %{selectionText};
}
QLineEdit:focus, QPlainTextEdit:focus { border-color: %{accent}; }
QPlainTextEdit { font-family: "%{codeFamily}"; }
QComboBox {
  background: %{input}; color: %{text};
  border: %{border}px solid %{borderColor}; border-radius: %{radius}px;
  padding: 1px %{padding}px;
}
QComboBox:disabled { color: %{mutedText}; }
QComboBox::drop-down { border: none; }
QToolButton { background: transparent; border: none; border-radius: %{radius}px; }
QToolButton:hover { background: %{buttonHover}; }
QAbstractItemView {
  background: %{input}; alternate-background-color: %{alternateRow}; color: %{text};
  border: %{border}px solid %{borderColor}; border-radius: %{radius}px;
  gridline-color: %{grid};
  selection-background-color: %{selection}; selection-color: %{selectionText};
}
QAbstractItemView::item { padding: 0px 1px; }
QTableView { font-size: 8pt; }
QAbstractItemView::item:hover { background: %{buttonHover}; }
QAbstractItemView::item:selected { background: %{selection}; color: %{selectionText}; }
QHeaderView { background: %{listHeader}; border: none; }
QHeaderView::section {
  background: %{headerFill}; color: %{listHeaderText};
  border: none; border-right: 1px solid %{grid}; border-bottom: 2px solid %{accent};
  padding: 2px %{padding}px; font-family: "%{headerFamily}"; font-weight: %{headerWeight};
}
QTableCornerButton::section { background: %{listHeader}; border: none; border-bottom: 2px solid %{accent}; }
QScrollBar:vertical { background: %{panel}; width: 10px; margin: 0px; border: none; }
QScrollBar:horizontal { background: %{panel}; height: 10px; margin: 0px; border: none; }
QScrollBar::handle { background: %{borderColor}; border-radius: 4px; margin: 2px; }
QScrollBar::handle:vertical { min-height: 24px; }
QScrollBar::handle:horizontal { min-width: 24px; }
QScrollBar::handle:hover { background: %{accent}; }
QScrollBar::add-line, QScrollBar::sub-line { width: 0px; height: 0px; border: none; background: none; }
QScrollBar::add-page, QScrollBar::sub-page { background: none; }
QStatusBar { background: %{statusBar}; color: %{statusText}; border-top: 1px solid %{accent}; }
QStatusBar::item { border: none; border-right: 1px solid %{grid}; }
QStatusBar QLabel { color: %{statusText}; padding: 0px %{padding}px; }
)";

}  // namespace

struct QtSkinStyler::SavedLook {
  QString styleSheet;
  QPalette palette;
  QFont font;
  bool paletteWasSet = false;
  bool fontWasSet = false;
  std::vector<std::pair<QPointer<QTableView>, int>> rowHeights;
};

QString QtSkinStyler::StyleSheetFor(const SkinParameters& skin) {
  const auto& header = skin.fonts[VSKN_FONT_HEADER];
  return Substitute(QString::fromUtf8(kStyleTemplate),
              {{"windowFill", Fill(skin, VSKN_GRADIENT_WINDOW, VSKN_COLOR_WINDOW)},
               {"buttonFill", Fill(skin, VSKN_GRADIENT_BUTTON, VSKN_COLOR_BUTTON_FACE)},
               {"headerFill", Fill(skin, VSKN_GRADIENT_HEADER, VSKN_COLOR_LIST_HEADER)},
               {"text", Css(skin, VSKN_COLOR_TEXT)},
               {"mutedText", Css(skin, VSKN_COLOR_MUTED_TEXT)},
               {"panel", Css(skin, VSKN_COLOR_PANEL)},
               {"accent", Css(skin, VSKN_COLOR_ACCENT)},
               {"accentText", Css(skin, VSKN_COLOR_ACCENT_TEXT)},
               {"buttonHover", Css(skin, VSKN_COLOR_BUTTON_HOVER)},
               {"buttonPressed", Css(skin, VSKN_COLOR_BUTTON_PRESSED)},
               {"buttonText", Css(skin, VSKN_COLOR_BUTTON_TEXT)},
               {"input", Css(skin, VSKN_COLOR_INPUT_BACKGROUND)},
               {"borderColor", Css(skin, VSKN_COLOR_BORDER)},
               {"listHeader", Css(skin, VSKN_COLOR_LIST_HEADER)},
               {"listHeaderText", Css(skin, VSKN_COLOR_LIST_HEADER_TEXT)},
               {"grid", Css(skin, VSKN_COLOR_GRID)},
               {"selection", Css(skin, VSKN_COLOR_SELECTION)},
               {"selectionText", Css(skin, VSKN_COLOR_SELECTION_TEXT)},
               {"alternateRow", Css(skin, VSKN_COLOR_ALTERNATE_ROW)},
               {"statusBar", Css(skin, VSKN_COLOR_STATUS_BAR)},
               {"statusText", Css(skin, VSKN_COLOR_STATUS_TEXT)},
               {"radius", QString::number(Metric(skin, VSKN_METRIC_CORNER_RADIUS, 3))},
               {"border", QString::number(Metric(skin, VSKN_METRIC_BORDER_WIDTH, 1))},
               {"padding", QString::number(Metric(skin, VSKN_METRIC_PADDING, 4))},
               {"codeFamily", FontFamily(skin, VSKN_FONT_CODE)},
               {"headerFamily", FontFamily(skin, VSKN_FONT_HEADER)},
               {"headerWeight", QString::number(header ? header->weight : 700)}});
}

QPalette QtSkinStyler::PaletteFor(const SkinParameters& skin, QPalette palette) {
  const std::pair<QPalette::ColorRole, int> roles[] = {
      {QPalette::Window, VSKN_COLOR_WINDOW},
      {QPalette::WindowText, VSKN_COLOR_TEXT},
      {QPalette::Base, VSKN_COLOR_INPUT_BACKGROUND},
      {QPalette::AlternateBase, VSKN_COLOR_ALTERNATE_ROW},
      {QPalette::Text, VSKN_COLOR_TEXT},
      {QPalette::PlaceholderText, VSKN_COLOR_MUTED_TEXT},
      {QPalette::Button, VSKN_COLOR_BUTTON_FACE},
      {QPalette::ButtonText, VSKN_COLOR_BUTTON_TEXT},
      {QPalette::Highlight, VSKN_COLOR_SELECTION},
      {QPalette::HighlightedText, VSKN_COLOR_SELECTION_TEXT},
      {QPalette::Link, VSKN_COLOR_ACCENT},
      {QPalette::Mid, VSKN_COLOR_BORDER},
      {QPalette::Dark, VSKN_COLOR_GRID},
  };
  for (const auto& [qtRole, role] : roles) palette.setColor(qtRole, Color(skin, role));
  palette.setColor(QPalette::Disabled, QPalette::ButtonText, Color(skin, VSKN_COLOR_MUTED_TEXT));
  palette.setColor(QPalette::Disabled, QPalette::WindowText, Color(skin, VSKN_COLOR_MUTED_TEXT));
  palette.setColor(QPalette::Disabled, QPalette::Text, Color(skin, VSKN_COLOR_MUTED_TEXT));
  return palette;
}

void QtSkinStyler::SaveLook() {
  if (saved_) return;  // a second attach keeps the original look to return to
  auto look = std::make_shared<SavedLook>();
  look->styleSheet = window_->styleSheet();
  look->palette = window_->palette();
  look->font = window_->font();
  look->paletteWasSet = window_->testAttribute(Qt::WA_SetPalette);
  look->fontWasSet = window_->testAttribute(Qt::WA_SetFont);
  for (QTableView* table : window_->findChildren<QTableView*>())
    look->rowHeights.emplace_back(table, table->verticalHeader()->defaultSectionSize());
  saved_ = std::move(look);
}

void QtSkinStyler::ApplyRowHeight(const SkinParameters& skin) {
  const auto& rowHeight = skin.metrics[VSKN_METRIC_ROW_HEIGHT];
  if (!rowHeight || *rowHeight < 8) return;  // too small to show a line of text
  for (QTableView* table : window_->findChildren<QTableView*>())
    table->verticalHeader()->setDefaultSectionSize(*rowHeight);
}

void QtSkinStyler::ApplySkin(const SkinParameters& skin) {
  if (!window_) return;
  SaveLook();
  window_->setProperty("varombySkin", true);
  window_->setFont(FontFor(skin, VSKN_FONT_UI, saved_->font));
  window_->setPalette(PaletteFor(skin, saved_->palette));
  window_->setStyleSheet(StyleSheetFor(skin));
  ApplyRowHeight(skin);
}

void QtSkinStyler::RemoveSkin() {
  if (!saved_) return;
  const std::shared_ptr<SavedLook> look = std::move(saved_);
  if (!window_) return;
  window_->setProperty("varombySkin", QVariant());
  window_->setStyleSheet(look->styleSheet);
  if (look->paletteWasSet) window_->setPalette(look->palette);
  else window_->setPalette(QPalette());
  if (look->fontWasSet) window_->setFont(look->font);
  else window_->setFont(QFont());
  window_->setAttribute(Qt::WA_SetPalette, look->paletteWasSet);
  window_->setAttribute(Qt::WA_SetFont, look->fontWasSet);
  for (const auto& [table, height] : look->rowHeights)
    if (table) table->verticalHeader()->setDefaultSectionSize(height);
}

SkinSession::SkinSession(std::span<const std::uint8_t> libraryImage)
    : libraryImage_(libraryImage), machine_(CreateMachine32()) {
  if (machine_) module_ = std::make_unique<MemoryModule>(*machine_);
}

void SkinSession::Load() {
  if (!machine_) return;
  const auto start = Clock::now();
  machine_->AddHostLibrary(host_.Library());
  module_->Load(libraryImage_);  // a failed load leaves the window unskinned
  loadTime_ = Since(start);
}

SkinSession::~SkinSession() = default;  // the library stays mapped; no detach call

bool SkinSession::Loaded() const { return module_ && module_->GetHandle() != 0; }

void SkinSession::Attach(QWidget& window) {
  styler_.SetWindow(&window);
  if (!module_) return;
  const auto start = Clock::now();
  AttachSkin(*module_, *machine_, SkinData(), AnsiText(), 0, 0, 0);
  attachTime_ = Since(start);
}

void SkinSession::Detach() {
  if (module_) DetachSkin(*module_, *machine_);
}

SkinHooks HooksFor(SkinSession& session) {
  return {[&session](AppGlobals&) { session.Load(); },
          [&session](AppGlobals&, qt::MainWindow& window) { session.Attach(window); },
          [&session](AppGlobals&) { session.Detach(); }};
}

}  // namespace varomby::app
