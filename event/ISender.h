// The source of a received network message (the host's connection object). Message handlers
// only check that it is not null.
#pragma once

class ISender {
public:
    virtual ~ISender() {}
};
