#pragma once
// Splits one instrument reply (or one line of a settings or log file) into at
// most 20 comma-separated fields and answers questions about them: is field n
// a number within bounds (and with how many places after the point), is it a
// text of a given length.
//
// The main window's parser is shared by every reply handler, so callers read
// the fields they need straight after Parse, before anything can run the
// event loop and let the next reply overwrite them.

#include <QString>
#include <QStringView>
#include <QtGlobal>

class Tcommsobj {
public:
    static constexpr int MaxFields = 20;

    Tcommsobj();

    // Splits the text; the results replace those of the previous call.
    // hex: digits are hexadecimal (status words). skipPrefix: the first three
    // characters (a mnemonic) are skipped. False only for an unbalanced double
    // quote or when no field was stored; fields stored before the opening
    // quote stay readable. Fields after the 20th are dropped.
    bool Parse(const QString &text, bool hex, bool skipPrefix);

    // True, with value and places set, when the field exists, is a number and
    // minimum <= value <= maximum; otherwise false and the outputs untouched.
    // A field whose digits do not fit in 32 bits is not a number.
    bool GetInt(int index, qint32 &value, qint32 minimum, qint32 maximum, qint32 &places) const;

    // True, with text set, when the field exists and its length lies within
    // the bounds (inclusive); otherwise false and the output untouched.
    bool GetText(int index, QString &text, int minimumLength, int maximumLength) const;

    // Fields stored by the last Parse (0 to 20).
    int FieldCount() const { return fieldCount; }

private:
    struct TScan;
    void BeginField();
    void EndField(TScan &scan);

    qint32 values[MaxFields];
    qint32 places[MaxFields];
    bool isNumber[MaxFields];
    // One slot per field, reused from call to call so that a steady stream of
    // replies does not allocate; fields beyond the 20th are gathered in
    // overflowText and thrown away.
    QString texts[MaxFields];
    QString overflowText;
    QString *currentText = nullptr;
    int fieldCount = 0;
};

// The form of the instrument's weight line: the weight (blanks around it, a
// sign, digits with at most one point and no blank between them), then the
// unit address in two digits and the status in three, nothing more. The
// field parser passes over blanks, so a line cut short and joined to the
// next ("     65" and "     650,00,002") would still give it a number; a
// reply without this form is no weight.
bool IsWeightLine(QStringView line);
// A reply that is one number and nothing else, in the form of the weight
// field: what a question for one value ("VAL?", "ENU?") is answered with.
bool IsSingleNumber(QStringView reply);
