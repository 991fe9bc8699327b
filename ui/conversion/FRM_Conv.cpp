#include "ui/conversion/FRM_Conv.h"

#include "core/DegreeConversion.h"
#include "core/MapQuery.h"
#include "ui/common/Accessibility.h"
#include "ui/common/Controls.h"
#include "ui/common/Fonts.h"
#include "ui/common/KeyPress.h"

#include <QFontMetrics>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <algorithm>

namespace tarnel {

namespace {

const QString kErrorTitle = QStringLiteral("Erreur");
constexpr qreal kSymbolPointSize = 13.5;

// The degree, minute and second signs between the boxes and result labels.
QLabel* AddSymbol(QWidget* parent, const TwipScale& scale, const QString& name,
                  const QString& symbol, TwipRect geometry, bool bold = true) {
    QLabel* label = AddLabel(parent, scale, name, symbol, geometry);
    label->setFont(DesignFont(kSymbolPointSize, bold));
    // A 13.5 pt line is taller than the design box; the glyphs sit at the top either way, so
    // growing down and right shows the same sign without clipping it in another font.
    const QFontMetrics metrics(label->font());
    label->resize(std::max(label->width(), metrics.horizontalAdvance(symbol)),
                  std::max(label->height(), metrics.height()));
    return label;
}

QRadioButton* AddOption(QWidget* frame, const TwipScale& scale, const QString& name,
                        const QString& caption, TwipRect geometry) {
    auto* option = new QRadioButton(caption, frame);
    option->setObjectName(name);
    option->setFont(DesignFont());
    option->setGeometry(scale.Rect(geometry.left, geometry.top, geometry.width, geometry.height));
    return option;
}

QLineEdit* AddNumberBox(QWidget* parent, const TwipScale& scale, const QString& name,
                        TwipRect geometry) {
    return AddTextBox(parent, scale, name, geometry, kLightGreen, Qt::AlignHCenter);
}

} // namespace

FRM_Conv::FRM_Conv(MainWindowAccess& mainWindow, WindowContext& context, QWidget* owner)
    : ToolWindow(owner, QStringLiteral("FRM_Conv"),
                 QStringLiteral("Utilitaire de conversion de coordonnées GPS"), 6240, 4155)
    , mainWindow_(mainWindow)
    , context_(context) {
    Command1_ = AddButton(this, Scale(), QStringLiteral("Command1"), QStringLiteral("&Fermer"),
                          {1680, 3720, 3255, 375}, true);
    BuildFirstPanel();
    BuildSecondPanel();
    BuildHiddenHolders();
    DescribeForAssistiveTechnology();
    SetTabOrder({Command1_, T_DEG_, T_MIN_, T_SEC_, Command2_, Command3_, Command4_, Txt_DEC_,
                 Command5_, Command6_, Command7_, Option1_, Option2_, Option3_, Option4_, Command8_,
                 Command9_, Command10_});
    ConnectHandlers();
    Command1_->setFocus();
    Form_Load();
}

void FRM_Conv::BuildFirstPanel() {
    const TwipScale& scale = Scale();
    Frame1_ = AddFrame(this, scale, QStringLiteral("Frame1"),
                       QStringLiteral("Deg-Min-Sec > Décimal "), {120, 120, 2775, 3495}, true);
    T_DEG_ = AddNumberBox(Frame1_, scale, QStringLiteral("T_DEG"), {240, 360, 495, 285});
    AddSymbol(Frame1_, scale, QStringLiteral("Label1"), QStringLiteral("°"), {720, 360, 135, 255});
    T_MIN_ = AddNumberBox(Frame1_, scale, QStringLiteral("T_MIN"), {960, 360, 495, 285});
    AddSymbol(Frame1_, scale, QStringLiteral("Label2"), QStringLiteral("'"), {1560, 360, 135, 255});
    T_SEC_ = AddNumberBox(Frame1_, scale, QStringLiteral("T_SEC"), {1800, 360, 495, 285});
    AddSymbol(Frame1_, scale, QStringLiteral("Label3"), QStringLiteral("''"),
              {2400, 360, 135, 255});
    Command2_ = AddButton(Frame1_, scale, QStringLiteral("Command2"), QStringLiteral("Convertir"),
                          {240, 840, 2415, 375}, true);
    AddLabel(Frame1_, scale, QStringLiteral("Label4"), QStringLiteral("Décimal :"),
             {120, 1320, 735, 255}, Qt::AlignRight | Qt::AlignTop);
    Label5_ = AddResultLabel(Frame1_, scale, QStringLiteral("Label5"), {960, 1320, 1695, 255},
                             kLightCyan);
    Command3_ = AddButton(Frame1_, scale, QStringLiteral("Command3"), QStringLiteral("Effacer"),
                          {120, 1590, 2535, 375});
    Command6_ = AddButton(Frame1_, scale, QStringLiteral("Command6"),
                          QStringLiteral("Appliquer à latitude"), {120, 2050, 1215, 615});
    QGroupBox* frame3 =
        AddFrame(Frame1_, scale, QStringLiteral("Frame3"), QString(), {1440, 1960, 1215, 700});
    // The options reach to their neighbour or to the frame's edge: the style's indicator is
    // wider than the classic one and would leave no room for the one-letter captions.
    Option1_ = AddOption(frame3, scale, QStringLiteral("Option1"), QStringLiteral("N"),
                         {120, 240, 600, 315});
    Option2_ = AddOption(frame3, scale, QStringLiteral("Option2"), QStringLiteral("S"),
                         {720, 240, 450, 315});
    Command4_ = AddButton(Frame1_, scale, QStringLiteral("Command4"),
                          QStringLiteral("Appliquer à longitude"), {120, 2760, 1215, 615});
    QGroupBox* frame4 =
        AddFrame(Frame1_, scale, QStringLiteral("Frame4"), QString(), {1440, 2650, 1215, 700});
    Option3_ = AddOption(frame4, scale, QStringLiteral("Option3"), QStringLiteral("E"),
                         {120, 240, 480, 375});
    Option4_ = AddOption(frame4, scale, QStringLiteral("Option4"), QStringLiteral("O"),
                         {600, 240, 495, 375});
    // Each frame makes its two options one exclusive group of its own.
    Option1_->setChecked(true);
    Option3_->setChecked(true);
}

void FRM_Conv::BuildSecondPanel() {
    const TwipScale& scale = Scale();
    Frame2_ = AddFrame(this, scale, QStringLiteral("Frame2"),
                       QStringLiteral("Décimal > Deg-Min-Sec "), {3000, 120, 3135, 3495}, true);
    QLabel* Label6 = AddLabel(Frame2_, scale, QStringLiteral("Label6"), QStringLiteral("Décimal :"),
                              {120, 360, 735, 255}, Qt::AlignRight | Qt::AlignTop);
    Txt_DEC_ = AddNumberBox(Frame2_, scale, QStringLiteral("Txt_DEC"), {960, 360, 2055, 285});
    TieLabel(Label6, Txt_DEC_);
    Command5_ = AddButton(Frame2_, scale, QStringLiteral("Command5"), QStringLiteral("Convertir"),
                          {240, 840, 2775, 375}, true);
    Lbl_DEG_ = AddResultLabel(Frame2_, scale, QStringLiteral("Lbl_DEG"), {240, 1320, 495, 255},
                              kLightCyan);
    AddSymbol(Frame2_, scale, QStringLiteral("Label10"), QStringLiteral("°"),
              {840, 1320, 135, 255});
    Lbl_MIN_ = AddResultLabel(Frame2_, scale, QStringLiteral("Lbl_MIN"), {1200, 1320, 495, 255},
                              kLightCyan);
    AddSymbol(Frame2_, scale, QStringLiteral("Label11"), QStringLiteral("'"),
              {1800, 1320, 135, 255});
    Lbl_SEC_ = AddResultLabel(Frame2_, scale, QStringLiteral("Lbl_SEC"), {2040, 1320, 495, 255},
                              kLightCyan);
    AddSymbol(Frame2_, scale, QStringLiteral("Label12"), QStringLiteral("\""),
              {2640, 1320, 135, 255}, false);
    Command7_ = AddButton(Frame2_, scale, QStringLiteral("Command7"), QStringLiteral("Effacer"),
                          {240, 1680, 2775, 315});
    Command8_ = AddButton(Frame2_, scale, QStringLiteral("Command8"),
                          QStringLiteral("Appliquer à latitude"), {240, 2040, 2775, 375});
    Command9_ = AddButton(Frame2_, scale, QStringLiteral("Command9"),
                          QStringLiteral("Appliquer à longitude"), {240, 2520, 2775, 375});
    Command10_ =
        AddButton(Frame2_, scale, QStringLiteral("Command10"),
                  QStringLiteral("Appliquer à la fenêtre de navigation"), {240, 3000, 2775, 375});
}

void FRM_Conv::BuildHiddenHolders() {
    // Below the client area of a window that cannot be resized: they only hold the texts last
    // handed over, for the navigation command.
    LAT_ = AddLabel(this, Scale(), QStringLiteral("LAT"), QString(), {360, 4680, 2415, 255});
    LAT_->setFrameStyle(QFrame::Box | QFrame::Plain);
    LONG_ = AddLabel(this, Scale(), QStringLiteral("LONG"), QString(), {3720, 4680, 2415, 255});
    LONG_->setFrameStyle(QFrame::Box | QFrame::Plain);
    // Hidden as well, so that assistive technology, which sees past the window's edge, does not
    // present them either.
    LAT_->hide();
    LONG_->hide();
}

void FRM_Conv::DescribeForAssistiveTechnology() {
    // The degree boxes have only signs beside them.
    T_DEG_->setAccessibleName(QStringLiteral("Degrés"));
    T_MIN_->setAccessibleName(QStringLiteral("Minutes"));
    T_SEC_->setAccessibleName(QStringLiteral("Secondes"));
    AnnounceAsResult(Label5_, QStringLiteral("Résultat décimal"));
    AnnounceAsResult(Lbl_DEG_, QStringLiteral("Degrés"));
    AnnounceAsResult(Lbl_MIN_, QStringLiteral("Minutes"));
    AnnounceAsResult(Lbl_SEC_, QStringLiteral("Secondes"));
    // Both panels have the same captions: read aloud, each button tells which conversion it
    // serves, after its caption.
    const std::pair<QWidget*, QString> names[] = {
        {Command2_, QStringLiteral("Convertir en décimal")},
        {Command3_, QStringLiteral("Effacer la conversion en décimal")},
        {Command6_, QStringLiteral("Appliquer à latitude le résultat décimal")},
        {Command4_, QStringLiteral("Appliquer à longitude le résultat décimal")},
        {Command5_, QStringLiteral("Convertir en degrés, minutes, secondes")},
        {Command7_, QStringLiteral("Effacer la conversion en degrés, minutes, secondes")},
        {Command8_, QStringLiteral("Appliquer à latitude les degrés, minutes, secondes")},
        {Command9_, QStringLiteral("Appliquer à longitude les degrés, minutes, secondes")},
        {Option1_, QStringLiteral("Nord")},
        {Option2_, QStringLiteral("Sud")},
        {Option3_, QStringLiteral("Est")},
        {Option4_, QStringLiteral("Ouest")},
        {Option1_->parentWidget(), QStringLiteral("Hémisphère de la latitude")},
        {Option3_->parentWidget(), QStringLiteral("Hémisphère de la longitude")},
    };
    for (const auto& [control, name] : names)
        control->setAccessibleName(name);
}

void FRM_Conv::ConnectHandlers() {
    const std::pair<QAbstractButton*, void (FRM_Conv::*)()> clicks[] = {
        {Command1_, &FRM_Conv::Command1_Click}, {Command2_, &FRM_Conv::Command2_Click},
        {Command3_, &FRM_Conv::Command3_Click}, {Command4_, &FRM_Conv::Command4_Click},
        {Command5_, &FRM_Conv::Command5_Click}, {Command6_, &FRM_Conv::Command6_Click},
        {Command7_, &FRM_Conv::Command7_Click}, {Command8_, &FRM_Conv::Command8_Click},
        {Command9_, &FRM_Conv::Command9_Click}, {Command10_, &FRM_Conv::Command10_Click},
        {Option1_, &FRM_Conv::Option1_Click},   {Option2_, &FRM_Conv::Option2_Click},
        {Option3_, &FRM_Conv::Option3_Click},   {Option4_, &FRM_Conv::Option4_Click},
    };
    for (const auto& [button, handler] : clicks)
        connect(button, &QAbstractButton::clicked, this, handler);

    const std::pair<QLineEdit*, void (FRM_Conv::*)(int&)> keyPresses[] = {
        {T_DEG_, &FRM_Conv::T_DEG_KeyPress},
        {T_MIN_, &FRM_Conv::T_MIN_KeyPress},
        {T_SEC_, &FRM_Conv::T_SEC_KeyPress},
        {Txt_DEC_, &FRM_Conv::Txt_DEC_KeyPress},
    };
    for (const auto& [box, handler] : keyPresses)
        InstallKeyPress(box, [this, handler](int& keyAscii) { (this->*handler)(keyAscii); });
}

void FRM_Conv::FillDecimalInput(const QString& text) {
    Txt_DEC_->setText(text);
}

void FRM_Conv::Form_Load() {
    LAT_->setText(context_.texts.savedLatitudeText);
    LONG_->setText(context_.texts.savedLongitudeText);
}

void FRM_Conv::Command1_Click() {
    close();
}

void FRM_Conv::Command2_Click() {
    const std::optional<DecimalResult> result =
        DmsToDecimal(context_.texts, T_DEG_->text(), T_MIN_->text(), T_SEC_->text());
    if (!result) {
        context_.platform.messages.Show(this, kDmsToDecimalFailure, kErrorTitle,
                                        MessageIcon::Critical);
        return;
    }
    Label5_->setText(result->text);
    if (result->negative) {
        // Selecting by program runs no click handler. Running "S" and "O" here would change
        // nothing anyway: the decimal result is already negative, so their rule leaves it.
        Option2_->setChecked(true);
        Option4_->setChecked(true);
    }
}

void FRM_Conv::Command3_Click() {
    T_DEG_->clear();
    T_MIN_->clear();
    T_SEC_->clear();
    Label5_->clear();
}

void FRM_Conv::Command4_Click() {
    mainWindow_.SetBoxText(MainBox::Longitude, Label5_->text());
}

void FRM_Conv::Command5_Click() {
    const DmsCaptions captions = DecimalToDms(Txt_DEC_->text());
    if (captions.degrees)
        Lbl_DEG_->setText(*captions.degrees);
    if (!captions.complete) {
        context_.platform.messages.Show(this, kDecimalToDmsFailure, kErrorTitle,
                                        MessageIcon::Critical);
        return;
    }
    Lbl_MIN_->setText(captions.minutes);
    Lbl_SEC_->setText(captions.seconds);
}

void FRM_Conv::Command6_Click() {
    mainWindow_.SetBoxText(MainBox::Latitude, Label5_->text());
}

void FRM_Conv::Command7_Click() {
    Txt_DEC_->clear();
    Lbl_DEG_->clear();
    Lbl_MIN_->clear();
    Lbl_SEC_->clear();
}

void FRM_Conv::Command8_Click() {
    const QString text = DmsResultText();
    mainWindow_.SetBoxText(MainBox::Latitude, text);
    LAT_->setText(text);
    context_.texts.savedLatitudeText = LAT_->text();
}

void FRM_Conv::Command9_Click() {
    const QString text = DmsResultText();
    mainWindow_.SetBoxText(MainBox::Longitude, text);
    LONG_->setText(text);
    context_.texts.savedLongitudeText = LONG_->text();
}

void FRM_Conv::Command10_Click() {
    mainWindow_.NavigateMap(CoordinateQueryUrl(context_.mapBaseUrl, LAT_->text(), LONG_->text()));
}

void FRM_Conv::Option1_Click() {
    ApplyPositive(Option1_);
}

void FRM_Conv::Option2_Click() {
    ApplyNegative(Option2_);
}

void FRM_Conv::Option3_Click() {
    ApplyPositive(Option3_);
}

void FRM_Conv::Option4_Click() {
    ApplyNegative(Option4_);
}

void FRM_Conv::T_DEG_KeyPress(int& keyAscii) {
    keyAscii = FilterNumericKey(keyAscii, kSignedNumberKeys);
}

void FRM_Conv::T_MIN_KeyPress(int& keyAscii) {
    keyAscii = FilterNumericKey(keyAscii, kSignedNumberKeys);
}

void FRM_Conv::T_SEC_KeyPress(int& keyAscii) {
    keyAscii = FilterNumericKey(keyAscii, kSignedNumberKeys);
}

void FRM_Conv::Txt_DEC_KeyPress(int& keyAscii) {
    keyAscii = FilterNumericKey(keyAscii, kSignedNumberKeys);
}

void FRM_Conv::ApplyPositive(const QRadioButton* option) {
    if (option->isChecked())
        Label5_->setText(MakePositive(context_.texts, Label5_->text()));
}

void FRM_Conv::ApplyNegative(const QRadioButton* option) {
    if (option->isChecked())
        Label5_->setText(MakeNegative(context_.texts));
}

QString FRM_Conv::DmsResultText() const {
    return DmsText(Lbl_DEG_->text(), Lbl_MIN_->text(), Lbl_SEC_->text());
}

} // namespace tarnel
