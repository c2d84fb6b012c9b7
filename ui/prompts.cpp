#include "ui/prompts.h"

#include <cstdio>

namespace {

// Before anyone installs prompts: nobody to ask. Messages go to standard
// error, so that they are not lost; every question is answered No.
class THeadlessPrompts : public TPrompts {
public:
    void Message(const QString &text, Kind, const QString &) override
    {
        std::fprintf(stderr, "%s\n", qPrintable(text));
    }
    bool Confirm(const QString &, const QString &, Kind) override { return false; }
    QString OpenFileName(const QString &, const QString &, const QString &, QString *) override { return {}; }
    QString SaveFileName(const QString &, const QString &, const QString &, QString *, Overwrite) override
    {
        return {};
    }
    bool PrinterSetup(QPrinter &) override { return false; }
    void PrintPreview(QPrinter &, const std::function<void(QPrinter &)> &) override {}
    int Exec(QDialog &) override { return 0; }   // QDialog::Rejected
    void WatchProgress(TProgress &progress) override { WaitUntilFinished(progress); }
    std::optional<QString> Passcode() override { return std::nullopt; }
    std::optional<qint32> Signal(const QString &, qint32) override { return std::nullopt; }
};

THeadlessPrompts DefaultPrompts;
TPrompts *Current = &DefaultPrompts;

} // namespace

TPrompts &Prompts() { return *Current; }

void SetPrompts(TPrompts *prompts) { Current = prompts ? prompts : &DefaultPrompts; }

TScopedPrompts::TScopedPrompts(TPrompts *prompts) : Previous(&Prompts()) { SetPrompts(prompts); }

TScopedPrompts::~TScopedPrompts() { SetPrompts(Previous); }
