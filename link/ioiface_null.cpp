#include "link/ioiface_null.h"

void TIOIfaceNull::Open()
{
    if (OnOpen)
        OnOpen(this);
}

void TIOIfaceNull::Close()
{
    if (OnClose)
        OnClose(this);
}

void TIOIfaceNull::Send(const QString &) {}
