// The main dialog over seeded registry keys, an in-memory driver file and a
// fake process list: the check sequence and its status messages, the port
// combos, the OK-button rule, OK and Cancel.
#include <gtest/gtest.h>
#include <windows.h>

#include <functional>
#include <map>
#include <string>

#include "tests/win32/app/AppTestEnvironment.h"
#include "tests/win32/app/MainDialogHarness.h"

namespace apptest {
namespace {

/// Every status message in both languages, as the user must read it.
struct SStatusText {
    int nStatus;
    const char* pszGerman;
    const char* pszEnglish;
};

const SStatusText kStatusTexts[] = {
    {120,
     " Der Treiber wurde erfolgreich initialisiert. \n W\xE4hlen Sie innerhalb der "
     "Orignal-STEP5\xAE-Software  \n"
     " die entsprechende serielle Schnittstelle aus. ",
     " The driver was successfully installed. \n Please select the serial interface \n within the orignal "
     "STEP5\xAE"
     " software. "},
    {121, "Die STEP5\xAE-Orignal-Software mu\xDF zuerst beendet werden.",
     "The orignal STEP5\xAE software must be terminated first."},
    {122, "Es ist kein passender Treiber f\xFCr STEP5\xAE installiert.",
     "No suitable driver for STEP5\xAE installed."},
    {123, "Es ist keine serielle Schnittstelle vorhanden!", "No serial interface found!"},
    {124, "Es ist kein Lintra-Adapter installiert!", "No Velkor USB to serial adaptor installed!"},
    {125, "Fehler, Pfad nicht gefunden.", "Error, path not found."},
    {126, "Fehler, Backup-Kopie l\xE4\xDFt sich nicht erstellen.", "Error, unable to create backup copy."},
    {128, "Fehler, der Velkor S5 Ger\xE4tetreiber lies sich nicht installieren.",
     "Error, the Velkor S5 devide driver could not be installed."},
    {129, "Fehler, die Checksumme lies sich nicht lesen.", "Error, the checksum could not be read."},
    {132, "Falsche Version der Datei S5AS511. Eine \xC4nderung ist nicht m\xF6glich.",
     "Wrong version of the file S5AS511. No change possible."},
};

std::string StatusText(int nStatus, const SLanguageTexts& language) {
    for (const SStatusText& text : kStatusTexts) {
        if (text.nStatus == nStatus) return &language == &kGerman ? text.pszGerman : text.pszEnglish;
    }
    ADD_FAILURE() << "no text for status " << nStatus;
    return "";
}

const SLanguageTexts* const kLanguages[] = {&kGerman, &kEnglish};

class KombrixDlgTest : public CAppTest {};

TEST_F(KombrixDlgTest, TheWineCodePageIsTheWesternOne) {
    // The German texts below are spelled in code page 1252.
    EXPECT_EQ(1252u, GetACP());
}

TEST_F(KombrixDlgTest, EveryFailedCheckShowsItsStatusOnceAndLeavesNothingToApply) {
    struct SCase {
        const char* pszName;
        std::function<void(KombrixDlgTest&)> arrange;
        int nStatus;
    };
    const SCase cases[] = {
        {"driver file missing", [](KombrixDlgTest& t) { t.Files().EraseFile(kDriverPath); }, 122},
        {"backup present, driver file missing",
         [](KombrixDlgTest& t) {
             t.Files().PutFile(kBackupPath, MakeDriverImage());
             t.Files().EraseFile(kDriverPath);
         },
         122},
        {"driver file missing while STEP 5 runs",
         [](KombrixDlgTest& t) {
             t.Files().EraseFile(kDriverPath);
             t.SetStep5Running(true);
         },
         122},
        {"system directory unknown",
         [](KombrixDlgTest& t) { t.Files().FailOn(EFakeFileOp::SystemDirectory); }, 125},
        {"backup cannot be made", [](KombrixDlgTest& t) { t.Files().FailOn(EFakeFileOp::Copy); }, 126},
        {"checksum cannot be read", [](KombrixDlgTest& t) { t.Files().SetLocked(kDriverPath, true); }, 129},
        {"unknown version, no spare copy",
         [](KombrixDlgTest& t) {
             SDriverImageOptions options;
             options.dwChecksumField = 0x12345;
             t.PutDriver(options);
         },
         132},
        {"no serial port", [](KombrixDlgTest&) { SeedSerialPorts({}); }, 123},
        {"serial ports but no adapter port", [](KombrixDlgTest&) { SeedAdapterPorts({}); }, 124},
        {"adapter ports the serial-port map does not name",
         [](KombrixDlgTest&) {
             SeedSerialPorts({{"\\Device\\Serial0", "COM1"}});
         },
         124},
        {"device-name table unreadable",
         [](KombrixDlgTest& t) {
             std::vector<uint8_t> image = MakeDriverImage();
             image.resize(15359);
             t.Files().PutFile(kDriverPath, image);
             t.Files().PutFile(kBackupPath, MakeDriverImage());
         },
         124},
    };
    for (const SLanguageTexts* pLanguage : kLanguages) {
        for (const SCase& c : cases) {
            SCOPED_TRACE(std::string(c.pszName) + " / " + pLanguage->pszCaption);
            TearDown();
            SetUp();
            c.arrange(*this);
            const std::vector<uint8_t> driverBefore =
                Files().HasFile(kDriverPath) ? Files().File(kDriverPath).content : std::vector<uint8_t>();

            CMainDialogRun run(pLanguage->nTemplate);
            std::vector<std::string> entries[4];
            bool bOkEnabled = true, bBoxAfter = true;
            run.AnswerBox(IDOK).Do("inspect", [&] {
                for (int i = 0; i < 4; ++i) entries[i] = run.ComboEntries(i);
                bOkEnabled = run.OkEnabled();
            });
            // The user's attempts: another OK command must write nothing.
            run.Press(IDOK).Do("no second box", [&] { bBoxAfter = FindMessageBox(run.Window()) != nullptr; });
            run.Press(IDCANCEL);
            EXPECT_EQ(IDCANCEL, run.Run());

            const SMessageBoxSeen& box = run.Box(0);
            EXPECT_EQ(StatusText(c.nStatus, *pLanguage), box.strText);
            EXPECT_EQ(pLanguage->pszCaption, box.strCaption);
            EXPECT_TRUE(box.bStopIcon);
            EXPECT_FALSE(box.bHasCancel);
            for (int i = 0; i < 4; ++i) {
                EXPECT_EQ(std::vector<std::string>({pLanguage->pszDefault}), entries[i]) << "combo " << i;
            }
            EXPECT_FALSE(bOkEnabled);
            EXPECT_FALSE(bBoxAfter);
            if (!driverBefore.empty() && Files().HasFile(kDriverPath)) {
                EXPECT_TRUE(driverBefore == Files().File(kDriverPath).content)
                    << "the driver file was changed";
            }
        }
    }
}

TEST_F(KombrixDlgTest, PassedChecksShowTheCurrentAssignmentWithoutAMessage) {
    for (const SLanguageTexts* pLanguage : kLanguages) {
        SCOPED_TRACE(pLanguage->pszCaption);
        TearDown();
        SetUp();
        CMainDialogRun run(pLanguage->nTemplate);
        std::vector<std::string> entries;
        bool bBox = true, bOkEnabled = true;
        std::string strShown[4];
        run.WaitForFilledCombos().Do("inspect", [&] {
            entries = run.ComboEntries(2);
            for (int i = 0; i < 4; ++i) strShown[i] = run.ComboText(i);
            bBox = FindMessageBox(run.Window()) != nullptr;
            bOkEnabled = run.OkEnabled();
        });
        run.Press(IDCANCEL);
        EXPECT_EQ(IDCANCEL, run.Run());
        EXPECT_FALSE(bBox);
        EXPECT_FALSE(bOkEnabled);
        // Sorted by the combo box: "- ..." before "USB ...".
        EXPECT_EQ(std::vector<std::string>(
                      {pLanguage->pszDefault, "USB Serial Port (COM5)", "USB Serial Port (COM6)"}),
                  entries);
        for (int i = 0; i < 4; ++i) EXPECT_EQ(pLanguage->pszDefault, strShown[i]);
        EXPECT_TRUE(Files().HasFile(kBackupPath)) << "the check sequence makes the backup copy";
    }
}

TEST_F(KombrixDlgTest, EachKindOfCurrentAssignmentIsShownByItsRow) {
    struct SCase {
        const char* pszName;
        std::string strAssigned;  // COM 3's current device name
        std::string strExpected;  // what COM 3's combo then shows; "" for none
        bool bExtraEntry;         // COM 3's combo got an entry of its own
    };
    const std::string strPresetCom3 = PortPreset3;
    const SCase cases[] = {
        {"1: the port's preset", strPresetCom3, "@default", false},
        {"1 before 2: the preset is also an adapter port", "\\Device\\VCP2", "@default", false},
        {"2: an adapter port", "\\Device\\VCP1", "USB Serial Port (COM6)", false},
        {"3: a serial port that is not the adapter's", "\\Device\\Serial0", "@unknown", true},
        {"4: EnumDeviceNameA, no entry begins with it", EnumDeviceNameA, "", false},
        {"4: EnumDeviceNameA, an entry begins with it", EnumDeviceNameA,
         std::string(EnumDeviceNameA) + " (COM7)", false},
        {"5: EnumDeviceNameB", EnumDeviceNameB, "@unknown", true},
        {"6: a device no serial port has", "\\Device\\Unplugged4", "@missing", true},
    };
    for (const SLanguageTexts* pLanguage : kLanguages) {
        for (const SCase& c : cases) {
            SCOPED_TRACE(std::string(c.pszName) + " / " + pLanguage->pszCaption);
            TearDown();
            SetUp();
            if (c.strAssigned == "\\Device\\VCP2") {
                // An adapter port whose device name is COM 3's preset.
                SeedSerialPorts(
                    {{"\\Device\\Serial0", "COM1"}, {"\\Device\\VCP0", "COM5"}, {strPresetCom3, "COM6"}});
            }
            if (c.strExpected.rfind(EnumDeviceNameA, 0) == 0) {
                SeedSerialPorts({{"\\Device\\VCP0", "COM5"}, {"\\Device\\VCP7", "COM7"}});
                SeedAdapterPorts({{"VID_0403+PID_6010+LT0001A", "USB Serial Port (COM5)", "COM5"},
                                  {"VID_0403+PID_6001+LT0007", c.strExpected, "COM7"}});
            }
            const std::u16string names[4] = {
                Wide(PortPreset1), Wide(PortPreset2),
                Wide(c.strAssigned == "\\Device\\VCP2" ? strPresetCom3 : c.strAssigned), Wide(PortPreset4)};
            PutDriverWithNames(names);

            CMainDialogRun run(pLanguage->nTemplate);
            std::vector<std::string> entries[4];
            std::string strShown;
            bool bOkEnabled = true;
            run.WaitForFilledCombos().Do("inspect", [&] {
                for (int i = 0; i < 4; ++i) entries[i] = run.ComboEntries(i);
                strShown = run.ComboText(2);
                bOkEnabled = run.OkEnabled();
            });
            run.Press(IDCANCEL);
            EXPECT_EQ(IDCANCEL, run.Run());

            std::string strExpected = c.strExpected;
            if (strExpected == "@default") strExpected = pLanguage->pszDefault;
            if (strExpected == "@unknown") strExpected = pLanguage->pszUnknownPort;
            if (strExpected == "@missing") strExpected = pLanguage->pszPortNotAvailable;
            EXPECT_EQ(strExpected, strShown);
            EXPECT_EQ(entries[0].size() + (c.bExtraEntry ? 1 : 0), entries[2].size());
            EXPECT_EQ(entries[0], entries[1]) << "the other combos get no extra entry";
            EXPECT_EQ(entries[0], entries[3]);
            EXPECT_FALSE(bOkEnabled) << "what the combos show first is their initial text";
        }
    }
}

TEST_F(KombrixDlgTest, OkIsEnabledByAChangedTextAndDisabledByTheChangeBack) {
    // Two adapter records with one display name give two equal entries.
    SeedSerialPorts({{"\\Device\\VCP0", "COM5"}, {"\\Device\\VCP1", "COM6"}, {"\\Device\\VCP2", "COM7"}});
    SeedAdapterPorts({{"A", "USB Serial Port (COM5)", "COM5"},
                      {"B", "Lintra Port", "COM6"},
                      {"C", "Lintra Port", "COM7"}});
    const std::u16string names[4] = {Wide("\\Device\\VCP1"), Wide(PortPreset2), Wide(PortPreset3),
                                     Wide(PortPreset4)};
    PutDriverWithNames(names);

    CMainDialogRun run(IDD_KOMBRIX_EN);
    bool bAtStart = true, bAfterChange = false, bAfterChangeBack = true, bSameText = true;
    std::vector<std::string> entries;
    run.WaitForFilledCombos().Do("at start", [&] {
        bAtStart = run.OkEnabled();
        entries = run.ComboEntries(0);
    });
    run.Choose(1, "USB Serial Port (COM5)").Do("after a change", [&] { bAfterChange = run.OkEnabled(); });
    run.Choose(1, "- Default -").Do("after the change back", [&] { bAfterChangeBack = run.OkEnabled(); });
    // COM 1 shows the first "Lintra Port"; the second has the same text.
    run.ChooseIndex(0, 2).Do("other entry, same text", [&] { bSameText = run.OkEnabled(); });
    run.Press(IDCANCEL);
    EXPECT_EQ(IDCANCEL, run.Run());

    ASSERT_EQ(
        std::vector<std::string>({"- Default -", "Lintra Port", "Lintra Port", "USB Serial Port (COM5)"}),
        entries);
    EXPECT_FALSE(bAtStart);
    EXPECT_TRUE(bAfterChange);
    EXPECT_FALSE(bAfterChangeBack);
    EXPECT_FALSE(bSameText);
}

TEST_F(KombrixDlgTest, OkAssignsEachKindOfEntryAndWritesTheDriverFile) {
    // COM 1 to COM 4 start as: an unknown serial port, an adapter port, a
    // missing device, the preset.
    const std::u16string names[4] = {Wide("\\Device\\Serial0"), Wide("\\Device\\VCP1"),
                                     Wide("\\Device\\Gone2"), Wide(PortPreset4)};
    PutDriverWithNames(names);

    CMainDialogRun run(IDD_KOMBRIX_DE);
    run.WaitForFilledCombos()
        .Choose(1, "- Standard -")            // adapter -> default entry
        .Choose(3, "USB Serial Port (COM5)")  // default -> adapter entry
        .Press(IDOK)
        .AnswerLastBox(IDOK);
    EXPECT_EQ(IDOK, run.Run());

    EXPECT_EQ(StatusText(120, kGerman), run.Box(0).strText);
    EXPECT_EQ(kGerman.pszCaption, run.Box(0).strCaption);
    EXPECT_TRUE(run.Box(0).bInformationIcon);
    // Unknown and missing entries keep their assignment; default gives prefix
    // and digit; an adapter entry its device name.
    EXPECT_EQ("\\Device\\Serial0", g_strPortAssignment[0]);
    EXPECT_EQ(std::string(DefaultDeviceNamePrefix) + "1", g_strPortAssignment[1]);
    EXPECT_EQ("\\Device\\Gone2", g_strPortAssignment[2]);
    EXPECT_EQ("\\Device\\VCP0", g_strPortAssignment[3]);
    const std::vector<uint8_t>& written = Files().File(kDriverPath).content;
    for (int i = 0; i < 4; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(Wide(g_strPortAssignment[i]), SlotName(written, kNameTableOffset + kNameSlotBytes * i));
        EXPECT_EQ(Wide(g_strPortAssignment[i]), SlotName(written, kNameTableCopyOffset + kNameSlotBytes * i));
    }
    EXPECT_TRUE(HasSetting("WindowPlacement"));
}

TEST_F(KombrixDlgTest, OfEqualDisplayNamesOkTakesTheRecordAtTheLowerPosition) {
    SeedSerialPorts({{"\\Device\\VCP0", "COM5"}, {"\\Device\\VCP1", "COM6"}});
    SeedAdapterPorts({{"A", "Lintra Port", "COM5"}, {"B", "Lintra Port", "COM6"}});
    for (const int nIndex : {1, 2}) {
        SCOPED_TRACE(nIndex);
        ResetDriverFileState();
        g_arSerialComm.RemoveAll();
        g_arVirtualComm.RemoveAll();
        CMainDialogRun run(IDD_KOMBRIX_EN);
        run.WaitForFilledCombos().ChooseIndex(0, nIndex).Press(IDOK).AnswerLastBox(IDOK);
        EXPECT_EQ(IDOK, run.Run());
        EXPECT_EQ("\\Device\\VCP0", g_strPortAssignment[0]);
    }
}

TEST_F(KombrixDlgTest, AFailedWriteShowsItsStatusKeepsTheDialogOpenAndCanBeRepeated) {
    for (const SLanguageTexts* pLanguage : kLanguages) {
        SCOPED_TRACE(pLanguage->pszCaption);
        TearDown();
        SetUp();
        CMainDialogRun run(pLanguage->nTemplate);
        bool bOkEnabledAfterFailure = false;
        run.WaitForFilledCombos()
            .Choose(0, "USB Serial Port (COM6)")
            .Do("make the write fail", [&] { Files().FailOn(EFakeFileOp::MoveIntoPlace); })
            .Press(IDOK)
            .AnswerBox(IDOK)
            .Do("after the failure",
                [&] {
                    bOkEnabledAfterFailure = run.OkEnabled();
                    Files().ClearFailures();
                })
            .Press(IDOK)
            .AnswerLastBox(IDOK);
        EXPECT_EQ(IDOK, run.Run());
        EXPECT_EQ(StatusText(128, *pLanguage), run.Box(0).strText);
        EXPECT_EQ(pLanguage->pszCaption, run.Box(0).strCaption);
        EXPECT_TRUE(run.Box(0).bStopIcon);
        EXPECT_TRUE(bOkEnabledAfterFailure);
        EXPECT_EQ(StatusText(120, *pLanguage), run.Box(1).strText);
        EXPECT_EQ(u"\\Device\\VCP1", SlotName(Files().File(kDriverPath).content, kNameTableOffset));
    }
}

TEST_F(KombrixDlgTest, CancelEscapeAndTheCloseBoxEndWithCancelAndWriteOnlyThePlacement) {
    struct SCase {
        const char* pszName;
        std::function<void(HWND)> action;
    };
    const SCase cases[] = {
        {"Cancel button", [](HWND h) { PressButton(h, IDCANCEL); }},
        {"Escape", [](HWND h) { PostMessageA(GetDlgItem(h, IDC_COMBO_COM1), WM_KEYDOWN, VK_ESCAPE, 0); }},
        {"close box", [](HWND h) { PostMessageA(h, WM_SYSCOMMAND, SC_CLOSE, 0); }},
    };
    for (const SCase& c : cases) {
        SCOPED_TRACE(c.pszName);
        TearDown();
        SetUp();
        CMainDialogRun run(IDD_KOMBRIX_EN);
        std::vector<uint8_t> before;
        run.WaitForFilledCombos().Choose(0, "USB Serial Port (COM5)").Do("act", [&] {
            before = Files().File(kDriverPath).content;
            SetFocus(run.Combo(0));
            c.action(run.Window());
        });
        EXPECT_EQ(IDCANCEL, run.Run());
        EXPECT_TRUE(before == Files().File(kDriverPath).content);
        EXPECT_TRUE(HasSetting("WindowPlacement"));
    }
}

TEST_F(KombrixDlgTest, WhileStep5RunsThePromptRepeatsUntilItHasEnded) {
    for (const SLanguageTexts* pLanguage : kLanguages) {
        SCOPED_TRACE(pLanguage->pszCaption);
        TearDown();
        SetUp();
        SetStep5Running(true);
        CMainDialogRun run(pLanguage->nTemplate);
        run.AnswerBox(IDOK).AnswerBox(IDOK).Do("end STEP 5", [&] { SetStep5Running(false); });
        run.AnswerBox(IDOK).WaitForFilledCombos().Press(IDCANCEL);
        EXPECT_EQ(IDCANCEL, run.Run());
        for (size_t n = 0; n < 3; ++n) {
            SCOPED_TRACE(n);
            EXPECT_EQ(StatusText(121, *pLanguage), run.Box(n).strText);
            EXPECT_EQ(pLanguage->pszCaption, run.Box(n).strCaption);
            EXPECT_TRUE(run.Box(n).bHasCancel);
            EXPECT_TRUE(run.Box(n).bStopIcon);
        }
    }
}

TEST_F(KombrixDlgTest, CancelInTheStep5PromptEndsTheDialogWithoutAStatus) {
    SetStep5Running(true);
    CMainDialogRun run(IDD_KOMBRIX_DE);
    run.AnswerLastBox(IDCANCEL);
    EXPECT_EQ(IDCANCEL, run.Run());
    EXPECT_EQ(StatusText(121, kGerman), run.Box(0).strText);
    EXPECT_TRUE(HasSetting("WindowPlacement"));
    EXPECT_EQ("", g_strPortAssignment[0]) << "the device-name table is read only after STEP 5 has ended";
}

TEST_F(KombrixDlgTest, ASecondStartupTimerEventChangesNothing) {
    CMainDialogRun run(IDD_KOMBRIX_EN);
    int nEntriesBefore = 0, nEntriesAfter = 0, nSerialBefore = 0, nSerialAfter = 0;
    run.WaitForFilledCombos()
        .Do("second tick",
            [&] {
                nEntriesBefore = run.ComboCount(0);
                nSerialBefore = g_arSerialComm.GetCount();
                PostMessageA(run.Window(), WM_TIMER, kStartupTimerId, 0);
            })
        .Do("after it", [&] {
            nEntriesAfter = run.ComboCount(0);
            nSerialAfter = g_arSerialComm.GetCount();
        });
    run.Press(IDCANCEL);
    EXPECT_EQ(IDCANCEL, run.Run());
    EXPECT_EQ(nEntriesBefore, nEntriesAfter);
    EXPECT_EQ(nSerialBefore, nSerialAfter) << "the inventory was built twice";
}

}  // namespace
}  // namespace apptest
