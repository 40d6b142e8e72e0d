#pragma once
// A session-end source that ends the session when the test says so.

#include "platform/SessionEnd.h"

class FakeSessionEndSource : public ISessionEndSource {
    Q_OBJECT
public:
    using ISessionEndSource::ISessionEndSource;
    void EndSession() { emit QueryEndSession(); }
};
