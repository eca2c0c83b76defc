// GoogleTest's own printer hands every failure to OutputDebugStringA, which raises
// an exception. On the emulated bench (qemu-i386) the dispatch of any exception in
// a process with more than one thread resumes on another thread's TEB, and the
// process dies at its first failed check, leaving behind what it had set up (a
// system-wide hook, for one). This printer reports failures without that call and
// leaves everything else to GoogleTest's printer.
#ifndef REMOVR_TEST_FAILURE_PRINTER_H
#define REMOVR_TEST_FAILURE_PRINTER_H

#include <gtest/gtest.h>

#include <stdio.h>

class FailurePrinter : public testing::TestEventListener {
public:
    explicit FailurePrinter(testing::TestEventListener* pInner) : m_pInner(pInner) {}
    ~FailurePrinter() override { delete m_pInner; }

    // Replaces GoogleTest's default printer; call after InitGoogleTest.
    static void Install(void)
    {
        testing::TestEventListeners& listeners = testing::UnitTest::GetInstance()->listeners();
        testing::TestEventListener* pDefault = listeners.Release(listeners.default_result_printer());
        if (pDefault != nullptr)
            listeners.Append(new FailurePrinter(pDefault));
    }

    void OnTestPartResult(const testing::TestPartResult& result) override
    {
        if (result.type() == testing::TestPartResult::kSuccess)
            return;
        printf("%s:%d: %s\n%s\n", result.file_name() ? result.file_name() : "unknown",
               result.line_number(), result.skipped() ? "Skipped" : "Failure", result.message());
        fflush(stdout);
    }

    void OnTestProgramStart(const testing::UnitTest& u) override { m_pInner->OnTestProgramStart(u); }
    void OnTestIterationStart(const testing::UnitTest& u, int n) override
    {
        m_pInner->OnTestIterationStart(u, n);
    }
    void OnEnvironmentsSetUpStart(const testing::UnitTest& u) override
    {
        m_pInner->OnEnvironmentsSetUpStart(u);
    }
    void OnEnvironmentsSetUpEnd(const testing::UnitTest& u) override
    {
        m_pInner->OnEnvironmentsSetUpEnd(u);
    }
    void OnTestSuiteStart(const testing::TestSuite& s) override { m_pInner->OnTestSuiteStart(s); }
    void OnTestStart(const testing::TestInfo& t) override { m_pInner->OnTestStart(t); }
    void OnTestDisabled(const testing::TestInfo& t) override { m_pInner->OnTestDisabled(t); }
    void OnTestEnd(const testing::TestInfo& t) override { m_pInner->OnTestEnd(t); }
    void OnTestSuiteEnd(const testing::TestSuite& s) override { m_pInner->OnTestSuiteEnd(s); }
    void OnEnvironmentsTearDownStart(const testing::UnitTest& u) override
    {
        m_pInner->OnEnvironmentsTearDownStart(u);
    }
    void OnEnvironmentsTearDownEnd(const testing::UnitTest& u) override
    {
        m_pInner->OnEnvironmentsTearDownEnd(u);
    }
    void OnTestIterationEnd(const testing::UnitTest& u, int n) override
    {
        m_pInner->OnTestIterationEnd(u, n);
    }
    void OnTestProgramEnd(const testing::UnitTest& u) override { m_pInner->OnTestProgramEnd(u); }

private:
    testing::TestEventListener* m_pInner;
};

#endif
