#pragma once

// The source of a received network message (the host's connection object).
class ISender {
public:
    virtual ~ISender() {}
};
