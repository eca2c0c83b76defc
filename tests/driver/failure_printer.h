// GoogleTest's own printer hands every failure to OutputDebugStringA, which raises
// an exception. On the emulated bench (qemu-i386) the dispatch of any exception in
// a process with more than one thread resumes on another thread's TEB, and the
// process dies at its first failed check, leaving behind what it had set up (a
// system-wide hook, for one). This printer reports failures without that call and
// leaves everything else to GoogleTest's printer.
#ifndef REMOVR_TEST_FAILURE_PRINTER_H
#define REMOVR_TEST_FAILURE_PRINTER_H

#ifdef _WIN32
#include <windows.h>
#endif

#include <gtest/gtest.h>

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

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

#ifdef _WIN32
// The Windows setting WINE_WINVER asked for, as GetVersion reports it: a setting
// that did not take would have the 9x runs check NT behaviour and pass.
inline bool RunsUnderTheRequestedSetting(void)
{
    static const struct {
        const char* name;
        DWORD major, minor;
        bool nt;
    } settings[] = {{"win95", 4, 0, false}, {"win98", 4, 10, false}, {"winxp", 5, 1, true}};
    // A Japanese locale gives code page 932, whose second bytes can be '\\', '[' or ']'.
    const char* locale = getenv("LC_ALL");
    if (locale != NULL && strncmp(locale, "ja_JP", 5) == 0 && GetACP() != 932) {
        fprintf(stderr, "LC_ALL=%s, but the code page is %u\n", locale, GetACP());
        return false;
    }
    const char* asked = getenv("WINE_WINVER");
    if (asked == NULL || *asked == '\0')
        return true;
    DWORD version = GetVersion();
    for (const auto& s : settings)
        if (strcmp(asked, s.name) == 0 && LOBYTE(version) == s.major &&
            HIBYTE(LOWORD(version)) == s.minor && ((version & 0x80000000u) == 0) == s.nt)
            return true;
    fprintf(stderr, "WINE_WINVER=%s, but GetVersion says 0x%08lX\n", asked, (unsigned long)version);
    return false;
}

#endif

// A run that executed no test passes in GoogleTest, and a mistyped filter or a
// skipped whole would leave the suite green without its cases: it fails here.
// Listing the tests (--gtest_list_tests, as ctest's discovery does) runs none.
inline int RequireATestRun(int result)
{
    const testing::UnitTest& unit = *testing::UnitTest::GetInstance();
    if (GTEST_FLAG_GET(list_tests) || unit.successful_test_count() + unit.failed_test_count() > 0)
        return result;
    fprintf(stderr, "no test was executed (filter \"%s\")\n", GTEST_FLAG_GET(filter).c_str());
    return 1;
}

// GoogleTest's main with this printer, under the requested setting only.
inline int RunTestProgram(int* argc, char** argv)
{
    testing::InitGoogleTest(argc, argv);
#ifdef _WIN32
    if (!RunsUnderTheRequestedSetting())
        return 1;
#endif
    FailurePrinter::Install();
    return RequireATestRun(RUN_ALL_TESTS());
}

#endif
