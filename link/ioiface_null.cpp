#include "link/ioiface_null.h"

// Handlers are called through copies: one may free the transport.
void TIOIfaceNull::Open()
{
    if (const auto onOpen = OnOpen)
        onOpen(this);
}

void TIOIfaceNull::Close()
{
    if (const auto onClose = OnClose)
        onClose(this);
}

void TIOIfaceNull::Send(const QString &) {}
