#include "platform/SessionEnd.h"
#include "tests/support/SignalCounter.h"

#include <QCoreApplication>
#include <gtest/gtest.h>

#include <csignal>
#include <cstring>

namespace {

void CustomHandler(int)
{
}

struct sigaction Current(int sig)
{
    struct sigaction sa { };
    ::sigaction(sig, nullptr, &sa);
    return sa;
}

// Puts back, at the end of a test, what the signals had before it.
struct SavedSignals {
    SavedSignals()
    {
        for (size_t i = 0; i < std::size(TLinuxSessionEndSource::kSignals); ++i)
            saved[i] = Current(TLinuxSessionEndSource::kSignals[i]);
    }
    ~SavedSignals()
    {
        for (size_t i = 0; i < std::size(TLinuxSessionEndSource::kSignals); ++i)
            ::sigaction(TLinuxSessionEndSource::kSignals[i], &saved[i], nullptr);
    }
    struct sigaction saved[std::size(TLinuxSessionEndSource::kSignals)];
};

// Counts the source's requests, processing events until the wanted count
// arrives or the time is up.

} // namespace

TEST(LinuxSessionEndSource, GivesEachSignalBackTheHandlingItHadBefore)
{
    SavedSignals keep;
    struct Before {
        const char *what;
        void (*handler)(int);
        int flags;
    };
    const Before kinds[] = {
        {"a handler of the caller's", CustomHandler, SA_NODEFER},
        {"ignored (started through nohup)", SIG_IGN, 0},
        {"the default action", SIG_DFL, 0},
    };
    for (const Before &before : kinds) {
        for (int sig : TLinuxSessionEndSource::kSignals) {
            SCOPED_TRACE(std::string(before.what) + ", signal " + std::to_string(sig));
            struct sigaction sa { };
            sa.sa_handler = before.handler;
            sigemptyset(&sa.sa_mask);
            sigaddset(&sa.sa_mask, SIGUSR2);
            sa.sa_flags = before.flags;
            ASSERT_EQ(::sigaction(sig, &sa, nullptr), 0);
            {
                TLinuxSessionEndSource source;
                EXPECT_NE(Current(sig).sa_handler, before.handler) << "the source did not take the signal over";
            }
            const struct sigaction after = Current(sig);
            EXPECT_EQ(after.sa_handler, before.handler);
            EXPECT_EQ(after.sa_flags & (SA_NODEFER | SA_RESTART | SA_SIGINFO), before.flags);
            EXPECT_TRUE(sigismember(&after.sa_mask, SIGUSR2));
        }
    }
}

TEST(LinuxSessionEndSource, EachSignalAsksForTheEndAndANestedSourceHandsBack)
{
    SavedSignals keep;
    TLinuxSessionEndSource source;
    TestSupport::SignalCounter requests(source, &ISessionEndSource::QueryEndSession);
    int expected = 0;
    for (int sig : TLinuxSessionEndSource::kSignals) {
        SCOPED_TRACE("signal " + std::to_string(sig));
        ASSERT_EQ(::raise(sig), 0);
        EXPECT_TRUE(requests.WaitFor(++expected)) << requests.count << " requests";
    }

    // While an inner source lives the signals are its own; once it is gone they
    // reach the outer one again.
    {
        TLinuxSessionEndSource inner;
        TestSupport::SignalCounter innerRequests(inner, &ISessionEndSource::QueryEndSession);
        ::raise(SIGHUP);
        EXPECT_TRUE(innerRequests.WaitFor(1));
    }
    EXPECT_EQ(requests.count, expected);
    ::raise(SIGTERM);
    EXPECT_TRUE(requests.WaitFor(++expected));
}
