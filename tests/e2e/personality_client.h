// The test side of the test library (win9x_personality.c): loads it, applies it or
// hands it to a program, and reads and writes its shared table.
#ifndef REMOVR_PERSONALITY_CLIENT_H
#define REMOVR_PERSONALITY_CLIENT_H

#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "win32_test_support.h"
#include "win9x_personality.h"

// Calls on the wininit.ini files made to fail: the calls of kind numbered (from 1) by
// the bits of mask, and of kind2 by mask2 (kind2 -1 for none).
struct Fault {
    int kind;
    LONG mask;
    int kind2;
    LONG mask2;
};

inline int FaultCount(const Fault& f)
{
    return __builtin_popcountl(f.mask) + (f.kind2 >= 0 ? __builtin_popcountl(f.mask2) : 0);
}

class Personality {
public:
    Personality() = default;
    ~Personality()
    {
        if (library_ != NULL) FreeLibrary(library_);
    }
    Personality(const Personality&) = delete;
    Personality& operator=(const Personality&) = delete;

    // Loads the library and resets its shared state; false when it cannot be loaded.
    bool Load(const std::string& path)
    {
        library_ = LoadLibraryA(path.c_str());
        if (library_ == NULL) return false;
        Reset();
        return true;
    }

    // In this process: its own imports are rewritten; the number of slots changed.
    LONG ApplyHere() { return Call<LONG (*)()>("ApplyPersonality")(); }
    HMODULE Library() const { return library_; }
    HOOKPROC Hook(const char* name) { return Call<HOOKPROC>(name); }
    void Reset() { Call<void (*)()>("ResetPersonality")(); }

    // A value of the shared table (PV_...), settings and counts alike.
    LONG Get(int which) { return Call<LONG (*)(LONG)>("Value")(which); }
    void Set(int which, LONG value) { Call<void (*)(LONG, LONG)>("SetValue")(which, value); }
    void SetWin9xCalls(bool on) { Set(PV_WIN9X_CALLS, on ? 1 : 0); }
    // The n-th (from 1) calls of kind whose bits are set in mask fail.
    void Fail(int kind, LONG mask) { Set(PV_FAIL_MASK + kind, mask); }
    void Fail(const Fault& f)
    {
        Fail(f.kind, f.mask);
        if (f.kind2 >= 0) Fail(f.kind2, f.mask2);
    }
    void RefuseKey(const char* name) { Call<void (*)(const char*)>("RefuseKey")(name); }
    std::string Log() { return Call<const char* (*)()>("CallLog")(); }
    // The calls that changed the machine, one a line: "N letter name".
    std::string ChangeLog() { return Call<const char* (*)()>("ChangeLog")(); }
    std::string LastLookup() { return Call<const char* (*)()>("LastLookup")(); }

private:
    template <typename T>
    T Call(const char* name)
    {
        return reinterpret_cast<T>(reinterpret_cast<void*>(GetProcAddress(library_, name)));
    }

    HMODULE library_ = NULL;
};

// The library as the build tree places it.
inline std::string PersonalityPathBesideTests() { return BuildFile("e2e\\win9x_personality.dll"); }

// The library in this process, loaded and applied on first use, with the calls of
// the setting's family: Windows 95/98's in the 9x settings (Wine carries out the NT
// family's calls in every setting), the system's own in the NT settings.
inline Personality& PersonaHere()
{
    static Personality persona;
    static bool loaded = false;
    if (!loaded) {
        loaded = true;
        EXPECT_TRUE(persona.Load(PersonalityPathBesideTests())) << PersonalityPathBesideTests();
        persona.SetWin9xCalls(!OnNtFamily());
        EXPECT_GT(persona.ApplyHere(), 0);
    }
    return persona;
}

// The program's own copies beside wininit.ini ("rvn" new, "rvo" moved aside).
inline std::string WininitCopy(const std::string& wininit, const char* ext)
{
    return wininit.substr(0, wininit.rfind('.') + 1) + ext;
}

inline void ExpectNoWininitCopies(const std::string& wininit, const std::string& log)
{
    for (const char* ext : {"rvn", "rvm", "rvo", "rvp"})
        EXPECT_FALSE(Exists(WininitCopy(wininit, ext))) << ext << "\n" << log;
}

// What a replace of wininit.ini (oldBytes, "<missing>" for none) by newBytes left. An
// old copy that an earlier run left beside it (earlier, "" for none) stays as it was.
enum ReplaceOutcome {
    OLD_BYTES,         // wininit.ini as it was
    NEW_BYTES,         // the complete new document
    NEW_AND_OLD_COPY,  // the new document; our old copy could not be deleted
    OLD_AND_NEW_COPY,  // the old bytes; our new file could not be deleted
    BOTH_COPIES        // neither could be put back: both kept, wininit.ini absent
};

inline bool Landed(ReplaceOutcome outcome) { return outcome == NEW_BYTES || outcome == NEW_AND_OLD_COPY; }

inline void ExpectReplaceOutcome(const std::string& wininit, ReplaceOutcome outcome,
                                 const std::string& oldBytes, const std::string& newBytes,
                                 const std::string& log, const std::string& earlier = "")
{
    if (outcome == BOTH_COPIES) EXPECT_FALSE(Exists(wininit)) << log;
    else EXPECT_EQ(ReadBytes(wininit), Landed(outcome) ? newBytes : oldBytes) << log;
    bool oldCopy = outcome == NEW_AND_OLD_COPY || outcome == BOTH_COPIES;
    bool newCopy = outcome == OLD_AND_NEW_COPY || outcome == BOTH_COPIES;
    EXPECT_EQ(ReadBytes(WininitCopy(wininit, "rvo")),
              oldCopy ? oldBytes : earlier.empty() ? "<missing>" : earlier)
        << log;
    EXPECT_EQ(ReadBytes(WininitCopy(wininit, "rvn")), newCopy ? newBytes : "<missing>") << log;
}

#endif
