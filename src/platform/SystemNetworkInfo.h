#pragma once

#include "platform/NetworkInfo.h"

// This computer's network details as Qt Network sees them: the local host
// name, every local address in the order the system reports them, and the
// socket layer's name and version.
class SystemNetworkInfo : public NetworkInfo
{
public:
    NetworkDetails details() const override;
};
