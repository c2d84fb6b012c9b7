#include "verification/verifypage.h"

#include "ui/objectname.h"
#include "ui/prompts.h"
#include "verification/verification.h"

#include <QComboBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QTableWidget>
#include <QVBoxLayout>

namespace {

enum TResultColumn { rcTest, rcStep, rcLoad, rcIndication, rcError, rcMpe, rcResult, rcCount };
enum TWeightColumn { wcId, wcNominal, wcClass, wcCertificate, wcCount };

// The setup's column; the results take the rest of the page.
constexpr int SetupWidth = 320;

const QColor PassColour(0, 128, 0);
const QColor FailColour(192, 0, 0);

QPushButton *Button(const char *name, const QString &caption)
{
    return Named(new QPushButton(caption), name);
}

QString Cell(const QTableWidget *table, int row, int column)
{
    const QTableWidgetItem *item = table->item(row, column);
    return item ? item->text().trimmed() : QString();
}

void SetCell(QTableWidget *table, int row, int column, const QString &text, const QColor &colour = {})
{
    auto *item = new QTableWidgetItem(text);
    item->setFlags(item->flags() & ~Qt::ItemIsEditable);
    if (column >= rcLoad && column <= rcMpe)
        item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
    if (colour.isValid())
        item->setForeground(colour);
    table->setItem(row, column, item);
}

} // namespace

TVerificationPage::TVerificationPage(TVerification &verification, QWidget *parent) : QWidget(parent), V(verification)
{
    // The setup and the plan scroll on their own, so that the results with
    // Take and Cancel stay in view in a small window.
    auto *columns = new QHBoxLayout(this);
    auto *setup = new QWidget;
    auto *left = new QVBoxLayout(setup);
    left->setContentsMargins(0, 0, 0, 0);
    left->addWidget(BuildSetup());
    left->addWidget(BuildPlan());
    left->addStretch(1);
    auto *scroll = Named(new QScrollArea, "SetupScroll");
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setWidgetResizable(true);
    scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    scroll->setWidget(setup);
    scroll->setFixedWidth(SetupWidth + scroll->verticalScrollBar()->sizeHint().width());
    columns->addWidget(scroll, 0);
    columns->addWidget(BuildResults(), 1);
    ShowVerification();
    SetTaking(false);
}

QWidget *TVerificationPage::BuildSetup()
{
    auto *group = Named(new QGroupBox(QStringLiteral("Setup")), "GBxVerificationSetup");
    auto *form = new QFormLayout(group);
    CBxAccuracyClass = Named(new QComboBox, "CBxAccuracyClass");
    for (TAccuracyClass accuracyClass : AccuracyClasses())
        CBxAccuracyClass->addItem(AccuracyClassName(accuracyClass));
    EdtScaleInterval = Named(new QLineEdit, "EdtScaleInterval");
    EdtMax = Named(new QLineEdit, "EdtMax");
    CBxVerificationKind = Named(new QComboBox, "CBxVerificationKind");
    CBxVerificationKind->addItems({QStringLiteral("Initial verification"), QStringLiteral("In service")});
    EdtCustomer = Named(new QLineEdit, "EdtCustomer");
    EdtTechnician = Named(new QLineEdit, "EdtTechnician");
    form->addRow(QStringLiteral("Accuracy class"), CBxAccuracyClass);
    form->addRow(QStringLiteral("e"), EdtScaleInterval);
    form->addRow(QStringLiteral("Max"), EdtMax);
    form->addRow(QStringLiteral("Verification"), CBxVerificationKind);
    form->addRow(QStringLiteral("Customer / site"), EdtCustomer);
    form->addRow(QStringLiteral("Technician"), EdtTechnician);

    TblTestWeights = Named(new QTableWidget(0, wcCount), "TblTestWeights");
    TblTestWeights->setHorizontalHeaderLabels({QStringLiteral("Identifier"), QStringLiteral("Nominal"),
                                               QStringLiteral("Class"), QStringLiteral("Certificate")});
    TblTestWeights->verticalHeader()->hide();
    TblTestWeights->horizontalHeader()->setStretchLastSection(true);
    TblTestWeights->horizontalHeader()->setDefaultSectionSize(70);
    TblTestWeights->setMinimumHeight(90);
    TblTestWeights->setMaximumHeight(120);
    BtnAddWeight = Button("BtnAddWeight", QStringLiteral("Add Weight"));
    BtnRemoveWeight = Button("BtnRemoveWeight", QStringLiteral("Remove Weight"));
    auto *weightButtons = new QHBoxLayout;
    weightButtons->addWidget(BtnAddWeight);
    weightButtons->addWidget(BtnRemoveWeight);
    form->addRow(new QLabel(QStringLiteral("Test weights")));
    form->addRow(TblTestWeights);
    form->addRow(weightButtons);

    connect(CBxAccuracyClass, &QComboBox::currentIndexChanged, this, &TVerificationPage::SetupChanged);
    connect(CBxVerificationKind, &QComboBox::currentIndexChanged, this, &TVerificationPage::SetupChanged);
    connect(EdtCustomer, &QLineEdit::editingFinished, this, &TVerificationPage::SetupChanged);
    connect(EdtTechnician, &QLineEdit::editingFinished, this, &TVerificationPage::SetupChanged);
    connect(EdtScaleInterval, &QLineEdit::textEdited, this, [this] { ScaleTyped = true; });
    connect(EdtMax, &QLineEdit::textEdited, this, [this] { ScaleTyped = true; });
    connect(EdtScaleInterval, &QLineEdit::editingFinished, this, &TVerificationPage::ScaleChanged);
    connect(EdtMax, &QLineEdit::editingFinished, this, &TVerificationPage::ScaleChanged);
    connect(TblTestWeights, &QTableWidget::itemChanged, this, &TVerificationPage::WeightsChanged);
    connect(BtnAddWeight, &QPushButton::clicked, this, [this] {
        V.Setup.Weights.append(TTestWeight());
        ShowSetup();
        TblTestWeights->setCurrentCell(int(V.Setup.Weights.size()) - 1, wcId);
        TblTestWeights->editItem(TblTestWeights->currentItem());
    });
    connect(BtnRemoveWeight, &QPushButton::clicked, this, [this] {
        const int row = TblTestWeights->currentRow();
        if (row < 0 || row >= V.Setup.Weights.size())
            return;
        V.Setup.Weights.removeAt(row);
        ShowSetup();
        if (SetupEdited)
            SetupEdited();
    });
    return group;
}

QWidget *TVerificationPage::BuildPlan()
{
    auto *group = Named(new QGroupBox(QStringLiteral("Test loads")), "GBxVerificationPlan");
    auto *form = new QFormLayout(group);
    LBxLoads = Named(new QListWidget, "LBxLoads");
    LBxLoads->setMaximumHeight(110);
    EdtLoad = Named(new QLineEdit, "EdtLoad");
    BtnAddLoad = Button("BtnAddLoad", QStringLiteral("Add"));
    BtnRemoveLoad = Button("BtnRemoveLoad", QStringLiteral("Remove"));
    BtnSuggestLoads = Button("BtnSuggestLoads", QStringLiteral("Suggest"));
    auto *loadButtons = new QHBoxLayout;
    loadButtons->addWidget(EdtLoad);
    loadButtons->addWidget(BtnAddLoad);
    loadButtons->addWidget(BtnRemoveLoad);
    loadButtons->addWidget(BtnSuggestLoads);
    EdtRepeatLoad = Named(new QLineEdit, "EdtRepeatLoad");
    EdtEccentricLoad = Named(new QLineEdit, "EdtEccentricLoad");
    form->addRow(new QLabel(QStringLiteral("Weighing test (up, then down)")));
    form->addRow(LBxLoads);
    form->addRow(loadButtons);
    form->addRow(QStringLiteral("Repeatability (3 times)"), EdtRepeatLoad);
    form->addRow(QStringLiteral("Eccentricity (centre, 4 corners)"), EdtEccentricLoad);
    connect(BtnAddLoad, &QPushButton::clicked, this, &TVerificationPage::AddLoad);
    connect(EdtLoad, &QLineEdit::returnPressed, this, &TVerificationPage::AddLoad);
    connect(BtnRemoveLoad, &QPushButton::clicked, this, &TVerificationPage::RemoveLoad);
    connect(BtnSuggestLoads, &QPushButton::clicked, this, &TVerificationPage::SuggestLoads);
    connect(EdtRepeatLoad, &QLineEdit::editingFinished, this, &TVerificationPage::PlanChanged);
    connect(EdtEccentricLoad, &QLineEdit::editingFinished, this, &TVerificationPage::PlanChanged);
    return group;
}

QWidget *TVerificationPage::BuildResults()
{
    auto *panel = new QWidget;
    auto *layout = new QVBoxLayout(panel);
    layout->setContentsMargins(0, 0, 0, 0);
    auto *top = new QHBoxLayout;
    CBxRun = Named(new QComboBox, "CBxRun");
    CBxRun->addItems({RunName(rkAsFound), RunName(rkAsLeft)});
    BtnNewVerification = Button("BtnNewVerification", QStringLiteral("New Verification"));
    top->addWidget(new QLabel(QStringLiteral("Run")));
    top->addWidget(CBxRun);
    top->addStretch(1);
    top->addWidget(BtnNewVerification);
    layout->addLayout(top);

    auto *take = new QHBoxLayout;
    BtnTake = Button("BtnTake", QStringLiteral("&Take"));
    BtnTake->setToolTip(QStringLiteral("Place the chosen row's load, then take the stable reading"));
    BtnCancelTake = Button("BtnCancelTake", QStringLiteral("Cancel"));
    LblWait = Named(new QLabel, "LblWait");
    take->addWidget(BtnTake);
    take->addWidget(BtnCancelTake);
    take->addWidget(LblWait, 1);
    layout->addLayout(take);

    TblResults = Named(new QTableWidget(0, rcCount), "TblResults");
    TblResults->setHorizontalHeaderLabels({QStringLiteral("Test"), QStringLiteral("Step"), QStringLiteral("Load"),
                                           QStringLiteral("Indication"), QStringLiteral("Error"), QStringLiteral("MPE"),
                                           QStringLiteral("Result")});
    TblResults->verticalHeader()->hide();
    TblResults->setSelectionBehavior(QAbstractItemView::SelectRows);
    TblResults->setSelectionMode(QAbstractItemView::SingleSelection);
    TblResults->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    TblResults->horizontalHeader()->setStretchLastSection(true);
    layout->addWidget(TblResults, 1);
    LblVerdict = Named(new QLabel, "LblVerdict");
    LblVerdict->setWordWrap(true);
    layout->addWidget(LblVerdict);
    auto *files = new QHBoxLayout;
    BtnSaveCsv = Button("BtnSaveCsv", QStringLiteral("Save Results (CSV)..."));
    BtnSavePdf = Button("BtnSavePdf", QStringLiteral("Save Certificate (PDF)..."));
    files->addStretch(1);
    files->addWidget(BtnSaveCsv);
    files->addWidget(BtnSavePdf);
    layout->addLayout(files);

    connect(CBxRun, &QComboBox::currentIndexChanged, this, [this](int run) {
        if (!Filling)
            V.SelectRun(run);
    });
    connect(BtnNewVerification, &QPushButton::clicked, this, &TVerificationPage::NewVerification);
    return panel;
}

// ---------------------------------------------------------------- edits

void TVerificationPage::SetupChanged()
{
    if (Filling)
        return;
    V.Setup.Class = AccuracyClasses().value(CBxAccuracyClass->currentIndex(), TAccuracyClass::III);
    V.Setup.InService = CBxVerificationKind->currentIndex() == 1;
    V.Setup.Customer = EdtCustomer->text().trimmed();
    V.Setup.Technician = EdtTechnician->text().trimmed();
    ShowResults();
    if (SetupEdited)
        SetupEdited();
}

// A weight that is no number leaves e or Max at 0: a reading is then
// refused with the reason, and the field shows what was typed.
void TVerificationPage::ScaleChanged()
{
    if (Filling)
        return;
    const std::optional<double> e = ReadWeight(EdtScaleInterval->text());
    const std::optional<double> max = ReadWeight(EdtMax->text());
    V.Setup.E = e.value_or(0);
    V.Setup.Max = max.value_or(0);
    FitDecimals(V.Setup, V.Setup.E);
    FitDecimals(V.Setup, V.Setup.Max);
    ShowResults();
}

void TVerificationPage::WeightsChanged()
{
    if (Filling)
        return;
    QList<TTestWeight> weights;
    for (int row = 0; row < TblTestWeights->rowCount(); ++row)
        weights.append({Cell(TblTestWeights, row, wcId), Cell(TblTestWeights, row, wcNominal),
                        Cell(TblTestWeights, row, wcClass), Cell(TblTestWeights, row, wcCertificate)});
    V.Setup.Weights = weights;
    if (SetupEdited)
        SetupEdited();
}

bool TVerificationPage::ReadLoadField(QLineEdit *field, double &load)
{
    const QString text = field->text().trimmed();
    const std::optional<double> typed = text.isEmpty() ? std::optional<double>(0) : ReadWeight(text);
    if (typed && *typed >= 0) {
        FitDecimals(V.Setup, *typed);
        load = RoundToDecimals(*typed, V.Setup.Decimals);
        return true;
    }
    Prompts().Message(
        QStringLiteral("A test load is a weight of 0 or more, such as %1.").arg(V.Setup.Weight(V.Setup.Max / 2)),
        TPrompts::Kind::Warning);
    return false;
}

void TVerificationPage::PlanChanged()
{
    if (Filling)
        return;
    TVerificationPlan plan = V.Plan;
    if (!ReadLoadField(EdtRepeatLoad, plan.RepeatLoad) || !ReadLoadField(EdtEccentricLoad, plan.EccentricLoad)) {
        ShowPlan();
        return;
    }
    if (plan == V.Plan)
        return;
    V.Plan = plan;
    V.ApplyPlan();
}

void TVerificationPage::AddLoad()
{
    double load = 0;
    if (EdtLoad->text().trimmed().isEmpty() || !ReadLoadField(EdtLoad, load))
        return;
    for (const double planned : std::as_const(V.Plan.Loads))
        if (SameLoad(planned, load, V.Setup.E))
            return;
    V.Plan.Loads.append(load);
    std::sort(V.Plan.Loads.begin(), V.Plan.Loads.end());
    EdtLoad->clear();
    V.ApplyPlan();
}

void TVerificationPage::RemoveLoad()
{
    const int row = LBxLoads->currentRow();
    if (row < 0 || row >= V.Plan.Loads.size())
        return;
    V.Plan.Loads.removeAt(row);
    V.ApplyPlan();
}

void TVerificationPage::SuggestLoads()
{
    if (const QString problem = V.Setup.Problem(); !problem.isEmpty()) {
        Prompts().Message(problem, TPrompts::Kind::Warning);
        return;
    }
    V.Plan = SuggestedPlan(V.Setup);
    V.ApplyPlan();
}

void TVerificationPage::NewVerification()
{
    if (V.HasReadings()
        && !Prompts().Confirm(QStringLiteral("Forget the readings of both runs and start a new verification?")))
        return;
    V.Clear();
    V.Runs[rkAsLeft].clear();
    V.SelectRun(rkAsFound);
}

void TVerificationPage::UseInstrumentScale(const TVerificationSetup &instrument)
{
    // The readings held were judged in the setup they were taken with; the
    // instrument shown now (another one, or the same with other settings)
    // changes none of it until New Verification.
    if (V.HasReadings())
        return;
    V.Setup.DisplayStep = instrument.DisplayStep;
    V.Setup.Decimals = instrument.Decimals;
    V.Setup.Units = instrument.Units;
    if (!ScaleTyped) {
        V.Setup.E = instrument.E;
        V.Setup.Max = instrument.Max;
    }
    // Typed weights keep the decimals they were typed with.
    for (const double weight : {V.Setup.E, V.Setup.Max, V.Plan.RepeatLoad, V.Plan.EccentricLoad})
        FitDecimals(V.Setup, weight);
    for (const double load : std::as_const(V.Plan.Loads))
        FitDecimals(V.Setup, load);
    if (V.Plan.Loads.isEmpty() && V.Setup.Problem().isEmpty()) {
        V.Plan = SuggestedPlan(V.Setup);
        V.ApplyPlan();
    }
    ShowVerification();
}

// ---------------------------------------------------------------- shown

void TVerificationPage::ShowVerification()
{
    ShowSetup();
    ShowPlan();
    ShowResults();
}

void TVerificationPage::ShowSetup()
{
    Filling = true;
    const TVerificationSetup &s = V.Setup;
    CBxAccuracyClass->setCurrentIndex(int(AccuracyClasses().indexOf(s.Class)));
    CBxVerificationKind->setCurrentIndex(s.InService ? 1 : 0);
    if (!EdtScaleInterval->hasFocus())
        EdtScaleInterval->setText(s.E > 0 ? s.Weight(s.E) : EdtScaleInterval->text());
    if (!EdtMax->hasFocus())
        EdtMax->setText(s.Max > 0 ? s.Weight(s.Max) : EdtMax->text());
    EdtCustomer->setText(s.Customer);
    EdtTechnician->setText(s.Technician);
    HoldSetupToReadings();
    TblTestWeights->setRowCount(int(s.Weights.size()));
    for (int row = 0; row < s.Weights.size(); ++row) {
        const TTestWeight &w = s.Weights[row];
        const QString texts[wcCount] = {w.Id, w.Nominal, w.WeightClass, w.Certificate};
        for (int column = 0; column < wcCount; ++column)
            TblTestWeights->setItem(row, column, new QTableWidgetItem(texts[column]));
    }
    Filling = false;
}

void TVerificationPage::ShowPlan()
{
    Filling = true;
    const int row = LBxLoads->currentRow();
    LBxLoads->clear();
    for (const double load : std::as_const(V.Plan.Loads))
        LBxLoads->addItem(V.Setup.Weight(load));
    LBxLoads->setCurrentRow(std::min(row, LBxLoads->count() - 1));
    EdtRepeatLoad->setText(V.Plan.RepeatLoad > 0 ? V.Setup.Weight(V.Plan.RepeatLoad) : QString());
    EdtEccentricLoad->setText(V.Plan.EccentricLoad > 0 ? V.Setup.Weight(V.Plan.EccentricLoad) : QString());
    Filling = false;
}

void TVerificationPage::ShowResults()
{
    Filling = true;
    const TVerificationSetup &s = V.Setup;
    CBxRun->setCurrentIndex(V.CurrentRun);
    const int selected = SelectedRow();
    const bool selectedTaken = selected >= 0 && selected < V.Rows().size() && V.Rows()[selected].Indication;
    const QList<TTestRow> &rows = V.Rows();
    TblResults->setRowCount(int(rows.size()));
    for (int i = 0; i < rows.size(); ++i) {
        const TTestRow &row = rows[i];
        const TRowResult result = ResultOf(s, row);
        const QColor colour = !result.Taken ? QColor() : result.Pass ? PassColour : FailColour;
        SetCell(TblResults, i, rcTest, TestName(row.Kind));
        SetCell(TblResults, i, rcStep, StepName(row));
        SetCell(TblResults, i, rcLoad, s.Weight(row.Load));
        SetCell(TblResults, i, rcIndication, IndicationText(s, row));
        SetCell(TblResults, i, rcError, result.Taken ? ErrorText(s, row, result.Error) : QString(), colour);
        SetCell(TblResults, i, rcMpe, s.E > 0 ? s.MpeText(result.Mpe) : QString());
        SetCell(TblResults, i, rcResult, !result.Taken ? QString() : result.Pass ? QStringLiteral("pass")
                                                                                 : QStringLiteral("fail"),
                colour);
    }
    // A row just taken hands the selection on to the next one to take.
    const int next = selected < 0 || selectedTaken ? V.NextRowToTake() : selected;
    TblResults->selectRow(next >= 0 ? next : std::max(selected, 0));
    if (next < 0 && selected < 0)
        TblResults->clearSelection();

    QStringList verdict;
    const TRepeatability repeat = RepeatabilityOf(s, rows);
    if (repeat.Complete)
        verdict << QStringLiteral("Repeatability spread %1 (MPE %2): %3.")
                       .arg(s.WithUnits(repeat.Spread), s.MpeText(repeat.Mpe),
                            repeat.Pass ? QStringLiteral("pass") : QStringLiteral("fail"));
    verdict << QStringLiteral("Verdict %1: %2.").arg(RunName(V.CurrentRun).toLower(), VerdictText(VerdictOf(s, rows)));
    if (const QString problem = s.Problem(); !problem.isEmpty())
        verdict << problem;
    LblVerdict->setText(verdict.join(QLatin1Char(' ')));
    Filling = false;
}

void TVerificationPage::ShowWait(const TStableWait &wait)
{
    LblWait->setText(wait.Done ? QString() : StableWaitText(wait, V.Setup.Units));
}

void TVerificationPage::SetTaking(bool taking)
{
    const auto isControl = [](QWidget *widget) {
        return qobject_cast<QPushButton *>(widget) || qobject_cast<QLineEdit *>(widget)
               || qobject_cast<QComboBox *>(widget) || qobject_cast<QAbstractItemView *>(widget);
    };
    for (QWidget *control : findChildren<QWidget *>())
        if (control != BtnCancelTake && isControl(control))
            control->setEnabled(!taking);
    BtnCancelTake->setEnabled(taking);
    if (!taking)
        HoldSetupToReadings();
}

// What the verdicts rest on stays as the readings were judged with.
void TVerificationPage::HoldSetupToReadings()
{
    const bool held = V.HasReadings();
    for (QWidget *field : std::initializer_list<QWidget *>{CBxAccuracyClass, EdtScaleInterval, EdtMax,
                                                           CBxVerificationKind}) {
        field->setEnabled(!held);
        field->setToolTip(held ? QStringLiteral("Fixed by the readings taken; New Verification starts again.")
                               : QString());
    }
}

int TVerificationPage::SelectedRow() const
{
    const QList<QTableWidgetSelectionRange> ranges = TblResults->selectedRanges();
    return ranges.isEmpty() ? -1 : ranges.first().topRow();
}
