#include "ui/setcolors.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QPixmap>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QTextDocument>

#include <string>

#include "engine/color.h"
#include "engine/colorcount.h"
#include "ui/accessibility.h"
#include "ui/classiclayout.h"
#include "ui/namedcombobox.h"
#include "ui/windowfont.h"
#include "ui/windowutils.h"

namespace tintrix {

namespace {

constexpr int kSlotCount = 10;
// One option button per fade colour count, in the same order.
constexpr std::array<QPoint, kFadeColorCounts.size()> kOptionPlaces = {
    {{240, 2400}, {1320, 2400}, {240, 2760}, {1320, 2760}, {720, 3000}}};

const QColor kDialogGrey(192, 192, 192);
const QColor kHatchGrey(128, 128, 128);

QString SlotEntry(int slot) { return QStringLiteral("Set Color %1").arg(slot + 1); }

// Neutral grey crossed by diagonal lines: the look of a swatch whose text is no colour.
QBrush HatchBrush() {
  QPixmap tile(8, 8);
  tile.fill(kDialogGrey);
  QPainter painter(&tile);
  painter.setPen(kHatchGrey);
  painter.drawLine(0, 7, 7, 0);
  return QBrush(tile);
}

}  // namespace

SetColors::SetColors(FadeSettings& fade, Desktop& desktop, QWidget* parent)
    // A plain window type rather than Qt::Dialog, so that the desktop lists it in the taskbar.
    : QDialog(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint |
                          Qt::MSWindowsFixedSizeDialogHint),
      m_fade(fade),
      m_desktop(desktop) {
  // Before any accessible interface of the selectors is made and kept.
  InstallAccessibleInterfaces();
  setObjectName(QStringLiteral("SetColors"));
  setWindowTitle(QStringLiteral("Configuration"));
  setModal(false);
  setFont(DialogFont());
  QPalette grey = palette();
  grey.setColor(QPalette::Window, kDialogGrey);
  setPalette(grey);
  setAutoFillBackground(true);
  setFixedSize(Twips(0, 0, 2550, 3345).size());

  BuildControls();
  LoadFromFade();
}

void SetColors::ShowOnTop() {
  setWindowState(windowState() & ~Qt::WindowMinimized);
  show();
  MakeTopmost(this);
}

void SetColors::BuildControls() {
  m_setButton = new QPushButton(QStringLiteral("SET"), this);
  m_setButton->setObjectName(QStringLiteral("Command1"));
  m_setButton->setGeometry(Twips(1680, 120, 735, 255));
  // Not the dialog's default button: Enter in a selector must not open the colour picker.
  m_setButton->setAutoDefault(false);
  m_setButton->setDefault(false);
  connect(m_setButton, &QPushButton::clicked, this, &SetColors::PickSelectedColor);

  m_colorSelector = new NamedComboBox(QStringLiteral("Colour to set"), this);
  m_colorSelector->setObjectName(QStringLiteral("Combo1"));
  m_colorSelector->setGeometry(Twips(120, 120, 1455, 315));

  constexpr std::array<const char*, 4> kCheckCaptions = {"WaVy", "Bold", "Italic", "Underlined"};
  constexpr std::array<QRect, 4> kCheckRects = {
      {{120, 480, 855, 255}, {120, 840, 735, 195}, {1080, 480, 1215, 195}, {1080, 840, 1215, 255}}};
  for (std::size_t i = 0; i < m_styleChecks.size(); ++i) {
    QCheckBox* check = new QCheckBox(QString::fromLatin1(kCheckCaptions[i]), this);
    check->setObjectName(QStringLiteral("Check%1").arg(i + 1));
    const QRect& r = kCheckRects[i];
    check->setGeometry(Twips(r.x(), r.y(), r.width(), r.height()));
    m_styleChecks[i] = check;
  }
  // Each style box shows its own style.
  QFont bold = font();
  bold.setWeight(QFont::Bold);
  m_styleChecks[1]->setFont(bold);
  QFont italic = font();
  italic.setItalic(true);
  m_styleChecks[2]->setFont(italic);
  QFont underlined = font();
  underlined.setUnderline(true);
  m_styleChecks[3]->setFont(underlined);

  for (int slot = 0; slot < kSlotCount; ++slot) {
    QLabel* swatch = new QLabel(QString::number(slot + 1), this);
    swatch->setObjectName(QStringLiteral("Label%1").arg(slot + 1));
    swatch->setGeometry(Twips(120 + 240 * slot, 1200, slot == 9 ? 255 : 135, 255));
    swatch->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    swatch->setAutoFillBackground(true);
    m_swatches[slot] = swatch;
  }

  m_fontSelector = new NamedComboBox(QStringLiteral("Font"), this);
  m_fontSelector->setObjectName(QStringLiteral("Combo2"));
  m_fontSelector->setGeometry(Twips(120, 1680, 2295, 315));

  // Both selectors take typed text as it is: no completion, and Enter adds no entry.
  for (QComboBox* combo : {m_colorSelector, m_fontSelector}) {
    combo->setEditable(true);
    combo->setInsertPolicy(QComboBox::NoInsert);
    combo->setCompleter(nullptr);
  }

  m_countCaption = new QLabel(QStringLiteral("Set Number Of Colors To Fade"), this);
  m_countCaption->setObjectName(QStringLiteral("Label11"));
  m_countCaption->setGeometry(Twips(120, 2040, 2175, 255));

  QButtonGroup* group = new QButtonGroup(this);
  for (std::size_t i = 0; i < m_countOptions.size(); ++i) {
    QRadioButton* option =
        new QRadioButton(QStringLiteral("%1 Colors").arg(kFadeColorCounts[i]), this);
    option->setObjectName(QStringLiteral("Option%1").arg(i + 1));
    option->setGeometry(Twips(kOptionPlaces[i].x(), kOptionPlaces[i].y(), 975, 195));
    group->addButton(option);
    m_countOptions[i] = option;
  }

  for (QCheckBox* check : m_styleChecks) ShrinkToFit(check);
  ShrinkToFit(m_countCaption);
  // The five counts read as one group, so they keep one type size.
  ShrinkToFitTogether(std::vector<QWidget*>(m_countOptions.begin(), m_countOptions.end()));

  QWidget* previous = m_setButton;
  auto chain = [&previous](QWidget* next) {
    setTabOrder(previous, next);
    previous = next;
  };
  chain(m_colorSelector);
  for (QCheckBox* check : m_styleChecks) chain(check);
  chain(m_fontSelector);
  for (QRadioButton* option : m_countOptions) chain(option);
  m_setButton->setFocus();
}

void SetColors::LoadFromFade() {
  MakeTopmost(this);

  for (int slot = 0; slot < kSlotCount; ++slot) m_colorSelector->addItem(SlotEntry(slot));
  m_colorSelector->setCurrentText(SlotEntry(0));

  CentreOnScreenOnceFramed(this);

  const std::array<int, 4> flags = {m_fade.wavy, m_fade.bold, m_fade.italic, m_fade.underlined};
  for (std::size_t i = 0; i < m_styleChecks.size(); ++i)
    m_styleChecks[i]->setChecked(flags[i] == 1);

  for (const std::string& family : m_desktop.FontFamilies()) {
    m_fontSelector->addItem(QString::fromStdString(family));
  }
  m_fontSelector->setCurrentText(m_fade.font.empty() ? QStringLiteral("Arial")
                                                     : QString::fromStdString(m_fade.font));

  for (int slot = 0; slot < kSlotCount; ++slot) PaintSwatch(slot);

  for (std::size_t i = 0; i < m_countOptions.size(); ++i) {
    if (m_fade.colorCount == std::to_string(kFadeColorCounts[i])) {
      m_countOptions[i]->setChecked(true);
    }
  }
}

void SetColors::StoreIntoFade() {
  const std::array<int*, 4> flags = {&m_fade.wavy, &m_fade.bold, &m_fade.italic,
                                     &m_fade.underlined};
  for (std::size_t i = 0; i < m_styleChecks.size(); ++i)
    *flags[i] = m_styleChecks[i]->isChecked() ? 1 : 0;

  m_fade.font = m_fontSelector->currentText().toStdString();

  for (std::size_t i = 0; i < m_countOptions.size(); ++i) {
    if (m_countOptions[i]->isChecked()) {
      m_fade.colorCount = std::to_string(kFadeColorCounts[i]);
      break;
    }
  }
}

void SetColors::PickSelectedColor() {
  std::optional<std::uint32_t> initial;
  if (const std::optional<int> slot = SelectedSlot()) {
    const std::optional<ColorValue> current = ParseColorValue(m_fade.colors[*slot]);
    if (current && *current <= 0xFFFFFF) initial = *current;
  }

  QPointer<SetColors> self(this);
  const std::optional<std::uint32_t> picked = m_desktop.PickColor(initial);
  // The program may have ended, and taken this dialog with it, while the picker was open.
  if (self == nullptr || !picked) return;

  const std::optional<int> slot = SelectedSlot();
  if (!slot) return;
  m_fade.colors[*slot] = std::to_string(*picked);
  emit FadeChanged();
  PaintSwatch(*slot);
}

std::optional<int> SetColors::SelectedSlot() const {
  const QString text = m_colorSelector->currentText();
  for (int slot = 0; slot < kSlotCount; ++slot) {
    if (text == SlotEntry(slot)) return slot;
  }
  return std::nullopt;
}

void SetColors::PaintSwatch(int slot) {
  QLabel* swatch = m_swatches[slot];
  const std::string& text = m_fade.colors[slot];
  QPalette palette = swatch->palette();
  if (const std::optional<ColorValue> value = ParseColorValue(text)) {
    const Channels channels = ColorChannels(*value);
    const QColor color(channels.red, channels.green, channels.blue);
    palette.setBrush(QPalette::Window, color);
    // The swatch's number stays readable on dark colours.
    palette.setColor(QPalette::WindowText, qGray(color.rgb()) < 128 ? Qt::white : Qt::black);
    swatch->setToolTip(QString());
    swatch->setAccessibleDescription(QString());
    swatch->setAccessibleName(
        QStringLiteral("Colour %1: %2").arg(slot + 1).arg(color.name(QColor::HexRgb).toUpper()));
  } else {
    palette.setBrush(QPalette::Window, HatchBrush());
    palette.setColor(QPalette::WindowText, Qt::black);
    // The tooltip and the accessible description say why.
    swatch->setAccessibleName(QStringLiteral("Colour %1: not set").arg(slot + 1));
    const QString why =
        text.empty() ? QStringLiteral("Colour %1 is empty: it holds no colour value").arg(slot + 1)
                     : QStringLiteral("Colour %1 is not a valid colour value: \"%2\"")
                           .arg(slot + 1)
                           .arg(QString::fromStdString(text));
    // The colour's text may come from a shared fade file, and Qt shows a tooltip that looks
    // like markup as rich text: such a one goes as the HTML of its plain text.
    swatch->setToolTip(Qt::mightBeRichText(why) ? Qt::convertFromPlainText(why) : why);
    swatch->setAccessibleDescription(why);
  }
  swatch->setPalette(palette);
}

void SetColors::closeEvent(QCloseEvent* event) {
  StoreIntoFade();
  emit FadeChanged();
  QDialog::closeEvent(event);
}

void SetColors::keyPressEvent(QKeyEvent* event) {
  // QDialog would reject(), which hides the dialog without a close event and so without the
  // write-back.
  if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
    close();
    return;
  }
  QDialog::keyPressEvent(event);
}

}  // namespace tintrix
