#pragma once
// The settings shown on the Calibration page: the direct mV/V values, the
// span calibration weight and the linearisation list. The settings editor
// fills them with the other pages; the main window places this widget on
// its Calibration page (objectName "CalSettings"), whose layout takes the
// span weight and the linearisation box out of it.

#include <QSet>
#include <QWidget>
#include <functional>

class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;

class TCalSettingsFields : public QWidget {
public:
    explicit TCalSettingsFields(QWidget *parent = nullptr);

    // "Direct mV/V Calibration": the two signals and the page's Calibrate
    // button, which the main window binds.
    QGroupBox *gbxMVCal = nullptr;
    QLabel *LblCalDirectZero = nullptr;
    QLineEdit *edtCalDirectZero = nullptr;   // mV/V, 4 decimals
    QLabel *LblCalDirectSpan = nullptr;
    QLineEdit *edtCalDirectSpan = nullptr;
    QPushButton *btnCalDirect = nullptr;
    QLabel *LblCalWeight = nullptr;
    QLineEdit *EdtCalWeight = nullptr;       // Tag 12; counts
    QLabel *lblCalWeightUnits = nullptr;
    QGroupBox *GBxLin = nullptr;             // linearisation
    QListWidget *LBxLCal = nullptr;          // five lines, one per point
    QLabel *LblLCalWeightUnits = nullptr;

    // The span weight and the two signals are the operator's once typed:
    // what the next calibration step sends. A fill (the settings read back
    // after zero, a linearisation point) shows text in such a field only
    // when held says the instrument holds what was typed; in any other field
    // it shows text.
    void Show(QLineEdit *edit, const QString &text, const std::function<bool(const QString &typed)> &held);
    // Empties the field and forgets what was typed into it.
    void Clear(QLineEdit *edit);
    bool IsTyped(const QLineEdit *edit) const { return Typed.contains(edit); }

private:
    QSet<const QLineEdit *> Typed;
    void BuildDirectGroup();
};
