#pragma once
// "Connection Settings": the serial line and the instrument's unit address,
// confirmed by the user before each connect. The dialog only shows and reads
// back values; loading from and saving to the store is ConfigureAndCreate's.

#include <QDialog>
#include <QGroupBox>
#include <QList>
#include <QStringList>

class QButtonGroup;
class QComboBox;
class QPushButton;
class QRadioButton;
class TFindPanel;

// A captioned group of radio buttons, one per item, laid out in columns
// (filled top to bottom, then left to right). At most one item is selected;
// ItemIndex() is -1 when none is.
class TRadioGroup : public QGroupBox {
    Q_OBJECT
public:
    // The buttons are named `name` followed by their index ("RGBaud0").
    TRadioGroup(const QString &name, const QString &caption, const QStringList &items, int columns,
                QWidget *parent = nullptr);

    int Count() const { return int(Buttons.size()); }
    // Only the checked button takes the focus from Tab.
    void FollowCheckedForTab();
    QString ItemText(int index) const;
    QRadioButton *Button(int index) const { return Buttons.value(index); }
    // The first item whose text is `text`, or -1.
    int IndexOf(const QString &text) const;

    int ItemIndex() const;
    // An index outside the items clears the selection.
    void SetItemIndex(int index);

private:
    QButtonGroup *Group;
    QList<QRadioButton *> Buttons;
};

class TFrmComDialog : public QDialog {
    Q_OBJECT
public:
    // `portNames` fill CBPort in the order given (see SerialPortNames()).
    explicit TFrmComDialog(const QStringList &portNames, QWidget *parent = nullptr);

    // Loading: each selects the matching item; no match leaves no selection
    // (parity: 1 "Odd", 2 "Even", anything else "None"; unit address: 99 and
    // 0 "Any", 1..31 that address, anything else no selection).
    void SelectPort(const QString &name);
    void SelectBaudRate(int baud);
    void SelectDataBits(int bits);
    void SelectStopBits(int bits);
    void SelectParity(int parity);
    void SelectUnitAddress(int address);

    // Reading back. Without a selection: an empty port name, 0 for the
    // numbers. Parity: 1 odd, 2 even, otherwise 0. Unit address: 99 for
    // "Any", else the address.
    QString PortName() const;
    int BaudRate() const;
    int DataBits() const;
    int StopBits() const;
    int Parity() const;
    int UnitAddress() const;
    // The unit addresses Find found on the chosen port at the chosen baud
    // rate (all units of a bus), in the order found; empty when none.
    QList<int> FoundUnits() const;

    // The defaults every dialog starts with: "COM1", 9600, 8 data bits,
    // 1 stop bit, no parity, "Any"; fixed size, centred on the screen.
    void FormCreate();

    // Controls, named as on the form.
    QGroupBox *GBSerial;
    QComboBox *CBPort;
    TRadioGroup *RGBaud;
    TRadioGroup *RGParity;
    TRadioGroup *RGData;
    TRadioGroup *RGStop;
    QGroupBox *GBUnitAddress;
    QComboBox *CBAddress;
    QPushButton *BtnOk;
    QPushButton *BtnCancel;
    // "Find": searches the listed ports and fills the fields above.
    TFindPanel *FindPanel;

    static constexpr int AnyAddress = 99;
    static constexpr int MaxAddress = 31;
    static constexpr int Margin = 8;

protected:
    void showEvent(QShowEvent *event) override;

private:
    void CreateControls(const QStringList &portNames);
    void CreateFindPanel();
    static int NumberOf(const TRadioGroup *group);
};
