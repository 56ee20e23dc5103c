#include "StatusPanel.h"

#include "GradientLabel.h"
#include "Lamp.h"
#include "NumberEdit.h"
#include "NumberText.h"
#include "TrendChart.h"

#include <QCheckBox>
#include <QColorDialog>
#include <QLabel>

namespace {

const QColor Navy(0, 0, 128);
const QColor Red(255, 0, 0);
const QColor LightGrey(224, 224, 224);
const QColor Blue(0, 0, 255);
const QColor StaleGrey(140, 140, 140);

/// Point sizes of the panel's texts.
constexpr int TitlePoints = 14;      // "SV", "제어온도", "보조온도"
constexpr int ValuePoints = 36;      // their values
constexpr int UnitPoints = 16;       // "℃" / "℉"
constexpr int CaptionPoints = 8;     // second-column titles and lamp captions
constexpr int SmallValuePoints = 12; // second-column values

/// Left-to-right order of the command buttons in their row.
constexpr std::array<int, 8> ButtonOrder = {0, 1, 2, 3, 4, 6, 7, 5};
const std::array<QString, 8> ButtonCaptions = {
    QStringLiteral("RUN"),     QStringLiteral("AT"),   QStringLiteral("PREH"),
    QStringLiteral("SUCTION"), QStringLiteral("COOL"), QStringLiteral("프로그램 RUN"),
    QStringLiteral("BUZZER"),  QStringLiteral("TIMER")};
constexpr int ProgramRunButton = 5;

const std::array<QString, 9> LampCaptions = {
    QStringLiteral("PUMP 정동작"), QStringLiteral("PUMP 역동작"), QStringLiteral("가열"),
    QStringLiteral("냉각"),        QStringLiteral("외부출력"),    QStringLiteral("COMM"),
    QStringLiteral("REM"),         QStringLiteral("AT"),          QStringLiteral("물보충")};

GradientLabel *label(QWidget *parent, const QString &text, const QRect &geometry,
                     const QColor &textColour, Qt::Alignment alignment, int pointSize)
{
    auto *l = new GradientLabel(text, parent);
    l->setGeometry(geometry);
    l->setTextColor(textColour);
    l->setAlignment(alignment | Qt::AlignVCenter);
    QFont font = l->font();
    font.setPointSize(pointSize);
    font.setBold(true);
    l->setFont(font);
    return l;
}

} // namespace

StatusPanel::StatusPanel(QWidget *parent) : QWidget(parent)
{
    setAutoFillBackground(true);
    QPalette p = palette();
    p.setColor(QPalette::Window, Navy);
    setPalette(p);
    buildCommandButtons();
    buildValueDisplays();
    buildSecondColumn();
    buildLamps();
    buildSwatches();
    buildChartArea();
    nameControls();
}

/// Every control carries its design name; members of an array carry it with _index.
void StatusPanel::nameControls()
{
    const auto nameEach = [](const auto &controls, const QString &name) {
        for (int i = 0; i < int(controls.size()); ++i)
            controls[i]->setObjectName(QStringLiteral("%1_%2").arg(name).arg(i));
    };
    nameEach(btnCMD, QStringLiteral("btnCMD"));
    nameEach(lblTT, QStringLiteral("lblTT"));
    nameEach(lblPV, QStringLiteral("lblPV"));
    nameEach(lblUnit, QStringLiteral("lblUnit"));
    nameEach(lblOutput, QStringLiteral("lblOutput"));
    nameEach(lblAmpare, QStringLiteral("lblAmpare"));
    nameEach(shpLED1, QStringLiteral("shpLED1"));
    nameEach(picGcolor, QStringLiteral("picGcolor"));
    lblSV_Title->setObjectName(QStringLiteral("lblSV_Title"));
    lblSV->setObjectName(QStringLiteral("lblSV"));
    lblRestTime->setObjectName(QStringLiteral("lblRestTime"));
    lblMEM->setObjectName(QStringLiteral("lblMEM"));
    txtMEM->setObjectName(QStringLiteral("txtMEM"));
    txtDispTime->setObjectName(QStringLiteral("txtDispTime"));
    chbScroll->setObjectName(QStringLiteral("chbScroll"));
    chb3D->setObjectName(QStringLiteral("chb3D"));
    lblStale->setObjectName(QStringLiteral("lblStale"));
    ChartFX1->setObjectName(QStringLiteral("ChartFX1"));
}

double StatusPanel::displayPeriod() const
{
    return NumberText::leadingNumber(txtDispTime->text());
}

void StatusPanel::buildCommandButtons()
{
    for (int slot = 0; slot < int(ButtonOrder.size()); ++slot) {
        const int i = ButtonOrder[slot];
        auto *button = new QPushButton(ButtonCaptions[i], this);
        button->setGeometry(8 + 88 * slot, 8, 81, 33);
        btnCMD[i] = button;
        setButtonLit(i, false);
        if (i == ProgramRunButton) {
            button->setEnabled(false);
            button->setToolTip(QStringLiteral("현재 버전에서는 제공하지 않는 버튼입니다."));
            continue;
        }
        connect(button, &QPushButton::clicked, this, [this, i] { emit commandClicked(i); });
    }
}

void StatusPanel::buildValueDisplays()
{
    const Qt::Alignment left = Qt::AlignLeft;
    const Qt::Alignment right = Qt::AlignRight;
    lblSV_Title =
        label(this, QStringLiteral("SV"), {104, 48, 130, 73}, Qt::black, left, TitlePoints);
    lblSV = label(this, QString(), {240, 48, 241, 73}, Red, right, ValuePoints);
    const QString titles[2] = {QStringLiteral("제어온도"), QStringLiteral("보조온도")};
    for (int i = 0; i < 2; ++i) {
        const int y = 128 + 80 * i;
        lblTT[i] = label(this, titles[i], {104, y, 130, 73}, Qt::black, left, TitlePoints);
        lblPV[i] = label(this, QString(), {240, y, 241, 73}, Red, right, ValuePoints);
    }
    for (int i = 0; i < 3; ++i)
        lblUnit[i] =
            label(this, QStringLiteral("℃"), {488, 48 + 80 * i, 41, 73}, Red, left, UnitPoints);
}

void StatusPanel::buildSecondColumn()
{
    const QString titles[6] = {QStringLiteral("가열 출력값"),   QStringLiteral("냉각 출력값"),
                               QStringLiteral("R상 전류값"),    QStringLiteral("S상 전류값"),
                               QStringLiteral("잔여 시간(분)"), QStringLiteral("MEMORY")};
    GradientLabel *values[6] = {};
    for (int row = 0; row < 6; ++row) {
        const int y = 48 + 40 * row;
        label(this, titles[row], {536, y, 84, 33}, Qt::black, Qt::AlignLeft, CaptionPoints);
        values[row] =
            label(this, QString(), {624, y, 81, 33}, Blue, Qt::AlignRight, SmallValuePoints);
    }
    lblOutput = {values[0], values[1]};
    lblAmpare = {values[2], values[3]};
    lblRestTime = values[4];
    lblMEM = values[5];
    lblMEM->setCursor(Qt::PointingHandCursor);
    connect(lblMEM, &GradientLabel::clicked, this, &StatusPanel::startMemoryEntry);

    txtMEM = new NumberEdit(this);
    txtMEM->setGeometry(lblMEM->geometry());
    txtMEM->setAlignment(Qt::AlignRight);
    txtMEM->hide();
    txtMEM->setLimits(0, 99);
    connect(txtMEM, &NumberEdit::entryConfirmed, this,
            [this](const QString &, const QString &newText) { confirmMemoryEntry(newText); });
}

void StatusPanel::buildLamps()
{
    for (int i = 0; i < int(shpLED1.size()); ++i) {
        const int y = 48 + 26 * i;
        shpLED1[i] = new Lamp(this);
        shpLED1[i]->move(8, y);
        auto *caption = new QLabel(LampCaptions[i], this);
        caption->setGeometry(30, y, 74, 17);
        QFont small = caption->font();
        small.setPointSize(CaptionPoints);
        caption->setFont(small);
        QPalette p = caption->palette();
        p.setColor(QPalette::WindowText, Qt::white);
        caption->setPalette(p);
    }
}

void StatusPanel::buildSwatches()
{
    const std::array<QColor, 3> defaults = {QColor(0, 0, 255), QColor(255, 0, 0),
                                            QColor(0, 255, 0)};
    const std::array<GradientLabel *, 3> titles = {lblSV_Title, lblTT[0], lblTT[1]};
    for (int i = 0; i < 3; ++i) {
        picGcolor[i] = new QPushButton(titles[i]);
        picGcolor[i]->setGeometry(0, 0, 17, 17);
        picGcolor[i]->setFlat(true);
        picGcolor[i]->setCursor(Qt::PointingHandCursor);
        setSwatchColor(i, defaults[i]);
        connect(picGcolor[i], &QPushButton::clicked, this, [this, i] { chooseSwatchColor(i); });
    }
}

void StatusPanel::buildChartArea()
{
    auto *periodTitle = new QLabel(QStringLiteral("표시주기(초)"), this);
    periodTitle->setGeometry(8, 296, 92, 20);
    periodTitle->setStyleSheet(QStringLiteral("color: white;"));
    txtDispTime = new NumberEdit(this);
    txtDispTime->setGeometry(104, 296, 49, 20);
    txtDispTime->setText(QStringLiteral("5"));
    txtDispTime->setLimits(1, 60);
    connect(txtDispTime, &QLineEdit::textChanged, this,
            [this] { emit displayPeriodChanged(displayPeriod()); });
    lblStale = new QLabel(this);
    lblStale->setGeometry(164, 294, 324, 24);
    lblStale->setAlignment(Qt::AlignCenter);
    lblStale->setStyleSheet(QStringLiteral(
        "background-color: #ffd400; color: black; font-weight: bold; border: 1px solid black;"));
    lblStale->hide();
    chbScroll = new QCheckBox(QStringLiteral("Scroll Bar"), this);
    chbScroll->setGeometry(496, 296, 96, 20);
    chb3D = new QCheckBox(QStringLiteral("3D"), this);
    chb3D->setGeometry(600, 296, 60, 20);
    chb3D->setChecked(true);
    // White captions on the navy panel; the boxes themselves keep their usual white face and
    // dark check mark, so a checked box reads as checked and enabled.
    for (QCheckBox *box : {chbScroll, chb3D}) {
        QPalette palette = box->palette();
        palette.setColor(QPalette::WindowText, Qt::white);
        palette.setColor(QPalette::Base, Qt::white);
        palette.setColor(QPalette::Text, Qt::black);
        palette.setColor(QPalette::Window, Navy);
        box->setPalette(palette);
    }
    ChartFX1 = new TrendChart(this);
    ChartFX1->setGeometry(12, 320, 697, 353);
    connect(chb3D, &QCheckBox::clicked, ChartFX1, &TrendChart::set3D);
    connect(chbScroll, &QCheckBox::clicked, ChartFX1, &TrendChart::setScrollBarVisible);
    ChartFX1->set3D(chb3D->isChecked());
    ChartFX1->setScrollBarVisible(chbScroll->isChecked());
}

QColor StatusPanel::swatchColor(int series) const
{
    return picGcolor[series]->property("colour").value<QColor>();
}

void StatusPanel::setSwatchColor(int series, const QColor &color)
{
    picGcolor[series]->setProperty("colour", color);
    picGcolor[series]->setStyleSheet(
        QStringLiteral("background-color: %1; border: 1px solid black;").arg(color.name()));
    emit swatchColorChanged(series, color);
}

/// The platform's colour dialog; cancelling changes nothing.
void StatusPanel::chooseSwatchColor(int series)
{
    const QColor chosen = QColorDialog::getColor(swatchColor(series), this);
    if (chosen.isValid())
        setSwatchColor(series, chosen);
}

void StatusPanel::showDisplay(const SelectedDisplay &display)
{
    for (GradientLabel *unit : lblUnit)
        unit->setText(display.unit);
    lblSV->setText(display.sv);
    lblPV[0]->setText(display.pv[0]);
    lblPV[1]->setText(display.pv[1]);
    lblOutput[0]->setText(display.output[0]);
    lblOutput[1]->setText(display.output[1]);
    lblAmpare[0]->setText(display.ampere[0]);
    lblAmpare[1]->setText(display.ampere[1]);
    lblRestTime->setText(display.restTime);
    lblMEM->setText(display.memoryNo);
    for (int i = 0; i < int(btnCMD.size()); ++i) {
        if (i != ProgramRunButton)
            setButtonLit(i, display.commandLit[i]);
    }
    for (int i = 0; i < int(shpLED1.size()); ++i)
        shpLED1[i]->setLit(display.lampLit[i]);
}

void StatusPanel::setStale(bool stale, const QDateTime &lastReading)
{
    m_stale = stale;
    for (GradientLabel *big : {lblSV, lblPV[0], lblPV[1], lblUnit[0], lblUnit[1], lblUnit[2]})
        big->setTextColor(stale ? StaleGrey : Red);
    for (GradientLabel *small :
         {lblOutput[0], lblOutput[1], lblAmpare[0], lblAmpare[1], lblRestTime, lblMEM})
        small->setTextColor(stale ? StaleGrey : Blue);
    for (Lamp *lamp : shpLED1)
        lamp->setStale(stale);
    for (int i = 0; i < int(btnCMD.size()); ++i) {
        if (i != ProgramRunButton)
            setButtonLit(i, btnCMD[i]->property("lit").toBool());
    }
    lblStale->setText(lastReading.isValid()
                          ? QStringLiteral("통신 불량 · 마지막 수신 %1")
                                .arg(lastReading.toString(QStringLiteral("HH:mm:ss")))
                          : QStringLiteral("통신 불량"));
    lblStale->setVisible(stale);
    lblStale->raise();
}

void StatusPanel::setButtonLit(int index, bool lit)
{
    // A border of its own makes the style paint the face flat in exactly this colour.
    btnCMD[index]->setStyleSheet(
        QStringLiteral("QPushButton { background-color: %1; border: 1px solid gray; }"
                       "QPushButton:pressed { border: 2px inset gray; }"
                       "QPushButton:disabled { color: gray; }")
            .arg((!lit      ? LightGrey
                  : m_stale ? StaleGrey
                            : Red)
                     .name()));
    btnCMD[index]->setProperty("lit", lit);
}

void StatusPanel::startMemoryEntry()
{
    txtMEM->startEntry(lblMEM->text());
    txtMEM->show();
    txtMEM->raise();
    txtMEM->setFocus();
    txtMEM->selectAll();
}

void StatusPanel::confirmMemoryEntry(const QString &newText)
{
    txtMEM->hide();
    emit memoryNumberEntered(NumberText::roundHalfEven(NumberText::leadingNumber(newText)));
}
