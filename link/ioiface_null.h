#pragma once
// The transport the main window holds while no port has been chosen: never
// open, sends nothing, but raises OnOpen and OnClose so the window can run its
// connected / disconnected handling the same way for every transport.

#include "link/ioiface.h"

class TIOIfaceNull : public TIOIface {
public:
    bool IsOpen() const override { return false; }
    void Open() override;
    void Close() override;
    void Send(const QString &text) override;
};
