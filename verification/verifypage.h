#pragma once
// The Verification page: the setup (accuracy class, e, Max, initial or in
// service, customer and site, technician, the test weights), the plan of
// loads, and the rows of the run chosen (as found or as left) with each
// reading's indication, error, MPE and result as it is taken, the spread of
// the repeatability loadings and the verdict.
//
// It shows and edits what a TVerification holds; it takes no reading and
// writes no file itself. The main window connects BtnTake (Take of the
// selected row), BtnCancelTake, BtnSaveCsv and BtnSavePdf, fills the
// verification's ShowWait and Changed hooks with ShowWait and
// ShowVerification, and offers the instrument's e and Max when the page is
// shown (UseInstrumentScale).

#include <QWidget>
#include <functional>

class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QTableWidget;
class TVerification;
struct TStableWait;
struct TVerificationSetup;

class TVerificationPage : public QWidget {
    Q_OBJECT
public:
    explicit TVerificationPage(TVerification &verification, QWidget *parent = nullptr);

    // Setup
    QComboBox *CBxAccuracyClass = nullptr;
    QLineEdit *EdtScaleInterval = nullptr;
    QLineEdit *EdtMax = nullptr;
    QComboBox *CBxVerificationKind = nullptr;   // initial, in service
    QLineEdit *EdtCustomer = nullptr;
    QLineEdit *EdtTechnician = nullptr;
    QTableWidget *TblTestWeights = nullptr;     // identifier, nominal, class, certificate
    QPushButton *BtnAddWeight = nullptr;
    QPushButton *BtnRemoveWeight = nullptr;
    // Plan
    QListWidget *LBxLoads = nullptr;
    QLineEdit *EdtLoad = nullptr;
    QPushButton *BtnAddLoad = nullptr;
    QPushButton *BtnRemoveLoad = nullptr;
    QPushButton *BtnSuggestLoads = nullptr;
    QLineEdit *EdtRepeatLoad = nullptr;
    QLineEdit *EdtEccentricLoad = nullptr;
    // Runs
    QComboBox *CBxRun = nullptr;                // as found, as left
    QTableWidget *TblResults = nullptr;
    QPushButton *BtnTake = nullptr;
    QPushButton *BtnCancelTake = nullptr;
    QLabel *LblWait = nullptr;
    QLabel *LblVerdict = nullptr;
    QPushButton *BtnNewVerification = nullptr;
    QPushButton *BtnSaveCsv = nullptr;
    QPushButton *BtnSavePdf = nullptr;

    // The operator changed the setup (for the window to remember it).
    std::function<void()> SetupEdited;

    // Decimals and units from the instrument; e and Max too, unless the
    // operator typed others. A plan is suggested while there is none.
    void UseInstrumentScale(const TVerificationSetup &instrument);
    // Every field and table from the verification.
    void ShowVerification();
    void ShowWait(const TStableWait &wait);
    // While a reading is taken only Cancel can be pressed.
    void SetTaking(bool taking);
    // The row of the results chosen, or -1.
    int SelectedRow() const;

private:
    TVerification &V;
    bool Filling = false;
    bool ScaleTyped = false;

    QWidget *BuildSetup();
    QWidget *BuildPlan();
    QWidget *BuildResults();
    void SetupChanged();
    void ScaleChanged();
    void WeightsChanged();
    void PlanChanged();
    void AddLoad();
    void RemoveLoad();
    void SuggestLoads();
    void NewVerification();
    void ShowSetup();
    void HoldSetupToReadings();
    void ShowPlan();
    void ShowResults();
    bool ReadLoadField(QLineEdit *field, double &load);
};
