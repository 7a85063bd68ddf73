// The program's resources as Windows reads them back: the dialog templates
// with their texts (umlauts, sharp s and the registered sign included), ids,
// styles and places, the icon's images, the logo, the settings key string,
// the manifest and the version.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "app/resources/ResourceIds.h"
#include "tests/win32/framework/DialogDriver.h"

namespace {

INT_PTR CALLBACK InertDialogProc(HWND, UINT nMsg, WPARAM, LPARAM) { return nMsg == WM_INITDIALOG; }

/// One control of a dialog template as it is stored.
struct STemplateItem {
    DWORD dwStyle = 0;
    DWORD dwExStyle = 0;
    short x = 0, y = 0, cx = 0, cy = 0;
    DWORD dwId = 0;
};

/// An extended dialog template read from the program's resources.
struct SDialogTemplate {
    DWORD dwStyle = 0;
    DWORD dwExStyle = 0;
    short cx = 0, cy = 0;
    WORD wPointSize = 0;
    std::u16string strFace;
    std::vector<STemplateItem> items;

    const STemplateItem* Item(DWORD dwId) const {
        for (const STemplateItem& item : items) {
            if (item.dwId == dwId) return &item;
        }
        return nullptr;
    }
};

class CTemplateReader {
public:
    CTemplateReader(const BYTE* p, size_t cb) : m_p(p), m_cb(cb) {}
    WORD Word() { return Take<WORD>(); }
    DWORD Dword() { return Take<DWORD>(); }
    short Short() { return static_cast<short>(Take<WORD>()); }
    /// A string or an ordinal; the text of a string.
    std::u16string StringOrOrdinal() {
        const WORD w = Word();
        if (w == 0xFFFF) {
            Word();
            return u"#";
        }
        std::u16string str;
        for (WORD c = w; c != 0; c = Word()) str.push_back(static_cast<char16_t>(c));
        return str;
    }
    void AlignDword() { m_n = (m_n + 3) & ~size_t(3); }
    void Skip(size_t cb) { m_n += cb; }
    bool Ok() const { return m_n <= m_cb; }

private:
    template <class T>
    T Take() {
        T value = 0;
        if (m_n + sizeof(T) <= m_cb) std::memcpy(&value, m_p + m_n, sizeof(T));
        m_n += sizeof(T);
        return value;
    }
    const BYTE* m_p;
    size_t m_cb;
    size_t m_n = 0;
};

bool ReadDialogTemplate(UINT nTemplate, SDialogTemplate& dlg) {
    HMODULE hModule = GetModuleHandleA(nullptr);
    HRSRC hResource =
        FindResourceA(hModule, MAKEINTRESOURCEA(nTemplate), MAKEINTRESOURCEA(5) /* RT_DIALOG */);
    if (!hResource) return false;
    CTemplateReader reader(static_cast<const BYTE*>(LockResource(LoadResource(hModule, hResource))),
                           SizeofResource(hModule, hResource));
    if (reader.Word() != 1 || reader.Word() != 0xFFFF) return false;  // extended templates only
    reader.Dword();                                                   // help id
    dlg.dwExStyle = reader.Dword();
    dlg.dwStyle = reader.Dword();
    const WORD nItems = reader.Word();
    reader.Short();
    reader.Short();
    dlg.cx = reader.Short();
    dlg.cy = reader.Short();
    reader.StringOrOrdinal();  // menu
    reader.StringOrOrdinal();  // class
    reader.StringOrOrdinal();  // title
    if (dlg.dwStyle & DS_SETFONT) {
        dlg.wPointSize = reader.Word();
        reader.Word();   // weight
        reader.Skip(2);  // italic, character set
        dlg.strFace = reader.StringOrOrdinal();
    }
    for (WORD i = 0; i < nItems; ++i) {
        reader.AlignDword();
        STemplateItem item;
        reader.Dword();  // help id
        item.dwExStyle = reader.Dword();
        item.dwStyle = reader.Dword();
        item.x = reader.Short();
        item.y = reader.Short();
        item.cx = reader.Short();
        item.cy = reader.Short();
        item.dwId = reader.Dword();
        reader.StringOrOrdinal();  // class
        reader.StringOrOrdinal();  // title
        reader.Skip(reader.Word());
        dlg.items.push_back(item);
    }
    return reader.Ok();
}

/// The control's place in the template, in dialog units.
void ExpectPlace(const SDialogTemplate& dlg, DWORD dwId, short x, short y, short cx, short cy) {
    SCOPED_TRACE("control " + std::to_string(dwId));
    const STemplateItem* pItem = dlg.Item(dwId);
    ASSERT_NE(nullptr, pItem);
    EXPECT_EQ(x, pItem->x);
    EXPECT_EQ(y, pItem->y);
    EXPECT_EQ(cx, pItem->cx);
    EXPECT_EQ(cy, pItem->cy);
}

DWORD ItemStyle(const SDialogTemplate& dlg, DWORD dwId) {
    const STemplateItem* pItem = dlg.Item(dwId);
    return pItem ? pItem->dwStyle : 0;
}

/// A dialog made from one of the program's templates, without any code of
/// the program behind it.
class CTemplateWindow {
public:
    explicit CTemplateWindow(UINT nTemplate)
        : m_hWnd(CreateDialogParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(nTemplate), nullptr,
                                    InertDialogProc, 0)) {}
    ~CTemplateWindow() { DestroyWindow(m_hWnd); }
    HWND Get() const { return m_hWnd; }
    std::string Text(int nId) const { return WindowText(GetDlgItem(m_hWnd, nId)); }
    LONG Style(int nId) const { return GetWindowLongA(GetDlgItem(m_hWnd, nId), GWL_STYLE); }

private:
    HWND m_hWnd;
};

struct SControl {
    int nId;
    const char* pszGerman;
    const char* pszEnglish;
    int x, y, cx, cy;
};

const SControl kMainControls[] = {
    {IDC_INTRO,
     "Dieser Treiber stellt der Orignal-STEP5\xAE-Software den Velkor Lintra-Adapter als COM-Schnittstelle "
     "zur "
     "Verf\xFCgung.",
     "This driver makes the Velkor Lintra Adaptor available for the orignal STEP5\xAE software as a serial "
     "interface.",
     10, 5, 330, 20},
    {IDC_STEP5_PORTS, " Serielle Schnittstelle der \n Orignal-STEP5\xAE-Software \n (Version 7.2x): ",
     " Serial interface of the \n orignal STEP5\xAE software \n (Version 7.2x): ", 34, 28, 110, 23},
    {IDC_LABEL_COM1, "COM 1:", "COM 1:", 20, 60, 80, 10},
    {IDC_LABEL_COM2, "COM 2:", "COM 2:", 20, 85, 80, 10},
    {IDC_LABEL_COM3, "COM 3:", "COM 3:", 20, 110, 80, 10},
    {IDC_LABEL_COM4, "COM 4:", "COM 4:", 20, 135, 80, 10},
    {IDC_ASSIGNED_TO, "Verkn\xFCpft mit:", "Assigned to:", 150, 45, 135, 10},
    {IDOK, "&OK", "&OK", 30, 190, 60, 17},
    {IDCANCEL, "&Abbrechen", "&Cancel", 260, 190, 60, 17},
};

const SControl kHiddenTexts[] = {
    {IDC_TEXT_DEFAULT_ENTRY, "- Standard -", "- Default -", 0, 0, 0, 0},
    {IDC_TEXT_UNKNOWN_PORT, "Unbekannte Schnittstelle", "Unknown port", 0, 0, 0, 0},
    {IDC_TEXT_PORT_NOT_AVAILABLE,
     "Nicht verf\xFC"
     "gbare Schnittstelle",
     "Port not available", 0, 0, 0, 0},
    {IDC_TEXT_MENU_LANGUAGE, "&Sprachauswahl / Language selection", "&Language selection / Sprachauswahl", 0,
     0, 0, 0},
    {IDC_TEXT_MENU_ABOUT,
     "&Info \xFC"
     "ber Velkor Lintra-Konfiguration...",
     "&Info about Velkor Lintra Configuration...", 0, 0, 0, 0},
};

TEST(MainTemplates, HoldEveryTextAtItsPlaceInBothLanguages) {
    for (const bool bGerman : {true, false}) {
        const UINT nTemplate = bGerman ? IDD_KOMBRIX_DE : IDD_KOMBRIX_EN;
        SCOPED_TRACE(nTemplate);
        CTemplateWindow window(nTemplate);
        SDialogTemplate dlg;
        ASSERT_NE(nullptr, window.Get());
        ASSERT_TRUE(ReadDialogTemplate(nTemplate, dlg));
        EXPECT_EQ(bGerman ? " Velkor Lintra-Konfiguration" : " Velkor Lintra Configuration",
                  WindowText(window.Get()));
        EXPECT_EQ(350, dlg.cx);
        EXPECT_EQ(220, dlg.cy);
        EXPECT_EQ(8, dlg.wPointSize);
        EXPECT_EQ(u"MS Shell Dlg", dlg.strFace);
        for (const SControl& c : kMainControls) {
            SCOPED_TRACE(c.nId);
            EXPECT_EQ(bGerman ? c.pszGerman : c.pszEnglish, window.Text(c.nId));
            ExpectPlace(dlg, c.nId, c.x, c.y, c.cx, c.cy);
        }
        for (int nPort = 0; nPort < 4; ++nPort) {
            ExpectPlace(dlg, IDC_COMBO_COM1 + nPort, 130, 58 + 25 * nPort, 170, 50);
        }
        ExpectPlace(dlg, IDC_MAIN_LINE, 0, 180, 350, 1);
        ExpectPlace(dlg, IDC_MAKER_LINE, 0, 210, 350, 10);
        EXPECT_FALSE(window.Text(IDC_MAKER_LINE).empty());
        for (const SControl& c : kHiddenTexts) {
            SCOPED_TRACE(c.nId);
            EXPECT_EQ(bGerman ? c.pszGerman : c.pszEnglish, window.Text(c.nId));
        }
        for (int nId : {111, 112, 114, 115, 116, 120, 121, 122, 123, 124, 125, 126, 128, 129, 132}) {
            SCOPED_TRACE(nId);
            const STemplateItem* pItem = dlg.Item(static_cast<DWORD>(nId));
            ASSERT_NE(nullptr, pItem);
            EXPECT_FALSE(pItem->dwStyle & WS_VISIBLE);
            EXPECT_FALSE(IsWindowVisible(GetDlgItem(window.Get(), nId)));
            EXPECT_EQ(5, pItem->x);
            EXPECT_GE(pItem->y, 250) << "below the visible area";
            EXPECT_EQ(340, pItem->cx);
            EXPECT_EQ(10, pItem->cy);
        }
    }
}

TEST(MainTemplates, HaveTheStylesOfTheDialogAndItsControls) {
    for (const UINT nTemplate : {IDD_KOMBRIX_DE, IDD_KOMBRIX_EN}) {
        SCOPED_TRACE(nTemplate);
        SDialogTemplate dlg;
        ASSERT_TRUE(ReadDialogTemplate(nTemplate, dlg));
        EXPECT_TRUE(dlg.dwStyle & WS_VISIBLE);
        EXPECT_EQ(static_cast<DWORD>(WS_CAPTION), dlg.dwStyle & WS_CAPTION);
        EXPECT_TRUE(dlg.dwStyle & WS_SYSMENU);
        EXPECT_TRUE(dlg.dwStyle & DS_MODALFRAME);
        EXPECT_TRUE(dlg.dwExStyle & WS_EX_APPWINDOW);
        for (int nPort = 0; nPort < 4; ++nPort) {
            const DWORD dwCombo = ItemStyle(dlg, IDC_COMBO_COM1 + nPort);
            EXPECT_EQ(static_cast<DWORD>(CBS_DROPDOWNLIST), dwCombo & 0x3);
            EXPECT_TRUE(dwCombo & CBS_SORT);
            EXPECT_TRUE(dwCombo & WS_VSCROLL);
            EXPECT_TRUE(dwCombo & WS_TABSTOP);
        }
        EXPECT_EQ(static_cast<DWORD>(BS_DEFPUSHBUTTON), ItemStyle(dlg, IDOK) & 0xF);
        EXPECT_TRUE(ItemStyle(dlg, IDOK) & WS_TABSTOP);
        EXPECT_EQ(static_cast<DWORD>(BS_PUSHBUTTON), ItemStyle(dlg, IDCANCEL) & 0xF);
        EXPECT_TRUE(ItemStyle(dlg, IDCANCEL) & WS_TABSTOP);
        EXPECT_EQ(static_cast<DWORD>(SS_CENTER), ItemStyle(dlg, IDC_INTRO) & SS_TYPEMASK);
        EXPECT_EQ(static_cast<DWORD>(SS_CENTER), ItemStyle(dlg, IDC_STEP5_PORTS) & SS_TYPEMASK);
        EXPECT_EQ(static_cast<DWORD>(SS_CENTER), ItemStyle(dlg, IDC_ASSIGNED_TO) & SS_TYPEMASK);
        for (int nLabel = IDC_LABEL_COM1; nLabel <= IDC_LABEL_COM4; ++nLabel) {
            EXPECT_EQ(static_cast<DWORD>(SS_RIGHT), ItemStyle(dlg, nLabel) & SS_TYPEMASK);
        }
        EXPECT_EQ(static_cast<DWORD>(SS_ETCHEDHORZ), ItemStyle(dlg, IDC_MAIN_LINE) & SS_TYPEMASK);
        EXPECT_EQ(static_cast<DWORD>(SS_CENTER), ItemStyle(dlg, IDC_MAKER_LINE) & SS_TYPEMASK);
        EXPECT_TRUE(ItemStyle(dlg, IDC_MAKER_LINE) & WS_DISABLED);
        // Template order is tab order: the four combos, OK, Cancel.
        std::vector<DWORD> tabStops;
        for (const STemplateItem& item : dlg.items) {
            if (item.dwStyle & WS_TABSTOP) tabStops.push_back(item.dwId);
        }
        EXPECT_EQ(std::vector<DWORD>({161, 162, 163, 164, IDOK, IDCANCEL}), tabStops);
    }
}

TEST(LanguageTemplate, AsksInBothLanguagesWithoutACancelButton) {
    CTemplateWindow dlg(IDD_SELECT_LANGUAGE);
    ASSERT_NE(nullptr, dlg.Get());
    EXPECT_FALSE(IsWindowVisible(dlg.Get())) << "template 80 is not visible at creation";
    EXPECT_EQ(" Velkor Lintra", WindowText(dlg.Get()));
    EXPECT_EQ("Sprachauswahl / Select language:", dlg.Text(IDC_LANGUAGE_PROMPT));
    EXPECT_EQ("Deutsch / German", dlg.Text(IDC_LANGUAGE_GERMAN));
    EXPECT_EQ("English / Englisch", dlg.Text(IDC_LANGUAGE_ENGLISH));
    EXPECT_EQ("OK", dlg.Text(IDOK));
    EXPECT_EQ(nullptr, GetDlgItem(dlg.Get(), IDCANCEL));
    EXPECT_EQ(BS_AUTORADIOBUTTON, dlg.Style(IDC_LANGUAGE_GERMAN) & 0xF);
    EXPECT_EQ(BS_AUTORADIOBUTTON, dlg.Style(IDC_LANGUAGE_ENGLISH) & 0xF);
    EXPECT_TRUE(dlg.Style(IDC_LANGUAGE_GERMAN) & WS_GROUP);
    EXPECT_FALSE(dlg.Style(IDC_LANGUAGE_ENGLISH) & WS_GROUP) << "both radio buttons form one group";
    EXPECT_EQ(SS_ETCHEDFRAME, dlg.Style(IDC_LANGUAGE_LINE) & SS_TYPEMASK);
    SDialogTemplate stored;
    ASSERT_TRUE(ReadDialogTemplate(IDD_SELECT_LANGUAGE, stored));
    EXPECT_EQ(300, stored.cx);
    EXPECT_EQ(80, stored.cy);
    EXPECT_EQ(u"MS Sans Serif", stored.strFace);
    EXPECT_FALSE(stored.dwStyle & WS_VISIBLE);
    ExpectPlace(stored, IDC_LANGUAGE_PROMPT, 17, 10, 170, 10);
    ExpectPlace(stored, IDC_LANGUAGE_GERMAN, 190, 10, 100, 10);
    ExpectPlace(stored, IDC_LANGUAGE_ENGLISH, 190, 30, 100, 10);
    ExpectPlace(stored, IDC_LANGUAGE_LINE, 0, 50, 300, 1);
    ExpectPlace(stored, IDOK, 10, 57, 60, 17);
    EXPECT_TRUE(ItemStyle(stored, IDC_LANGUAGE_LINE) & WS_GROUP);
    EXPECT_TRUE(ItemStyle(stored, IDOK) & WS_GROUP);
    EXPECT_EQ(static_cast<DWORD>(BS_DEFPUSHBUTTON), ItemStyle(stored, IDOK) & 0xF);
}

TEST(AboutTemplates, ShowTitleVersionLogoAndMaker) {
    struct SCase {
        UINT nTemplate;
        const char* pszCaption;
        const char* pszTitle;
    };
    const SCase cases[] = {{IDD_ABOUTBOX_DE, " Velkor Lintra-Konfiguration", "Velkor Lintra-Konfiguration"},
                           {IDD_ABOUTBOX_EN, " Velkor Lintra Configuration", "Velkor Lintra Configuration"}};
    for (const SCase& c : cases) {
        SCOPED_TRACE(c.nTemplate);
        CTemplateWindow dlg(c.nTemplate);
        ASSERT_NE(nullptr, dlg.Get());
        EXPECT_EQ(c.pszCaption, WindowText(dlg.Get()));
        EXPECT_EQ(c.pszTitle, dlg.Text(IDC_ABOUT_TITLE));
        EXPECT_EQ("Version 1.30", dlg.Text(IDC_ABOUT_VERSION));
        const std::string strMaker = dlg.Text(IDC_ABOUT_MAKER);
        EXPECT_EQ(2, std::count(strMaker.begin(), strMaker.end(), '\n')) << "three lines: " << strMaker;
        EXPECT_EQ("OK", dlg.Text(IDOK));
        EXPECT_EQ(SS_ICON, dlg.Style(IDC_ABOUT_ICON) & SS_TYPEMASK);
        EXPECT_NE(0, SendDlgItemMessageA(dlg.Get(), IDC_ABOUT_ICON, STM_GETICON, 0, 0));
        EXPECT_EQ(SS_BITMAP, dlg.Style(IDC_ABOUT_LOGO) & SS_TYPEMASK);
        EXPECT_TRUE(dlg.Style(IDC_ABOUT_LOGO) & SS_SUNKEN);
        EXPECT_TRUE(GetWindowLongA(GetDlgItem(dlg.Get(), IDC_ABOUT_LOGO), GWL_EXSTYLE) & WS_EX_TRANSPARENT);
        HBITMAP hLogo = reinterpret_cast<HBITMAP>(
            SendDlgItemMessageA(dlg.Get(), IDC_ABOUT_LOGO, STM_GETIMAGE, IMAGE_BITMAP, 0));
        BITMAP bitmap = {};
        ASSERT_TRUE(hLogo && GetObjectA(hLogo, sizeof(bitmap), &bitmap));
        EXPECT_EQ(200, bitmap.bmWidth);
        EXPECT_EQ(60, bitmap.bmHeight);
        SDialogTemplate stored;
        ASSERT_TRUE(ReadDialogTemplate(c.nTemplate, stored));
        EXPECT_EQ(300, stored.cx);
        EXPECT_EQ(80, stored.cy);
        EXPECT_EQ(u"MS Sans Serif", stored.strFace);
        ExpectPlace(stored, IDC_ABOUT_ICON, 5, 5, 20, 20);
        EXPECT_EQ(140, stored.Item(IDC_ABOUT_LOGO)->x);
        EXPECT_EQ(5, stored.Item(IDC_ABOUT_LOGO)->y);
        ExpectPlace(stored, IDC_ABOUT_TITLE, 35, 10, 90, 10);
        ExpectPlace(stored, IDC_ABOUT_VERSION, 35, 20, 90, 10);
        ExpectPlace(stored, IDC_ABOUT_LINE, 0, 45, 300, 1);
        ExpectPlace(stored, IDC_ABOUT_MAKER, 115, 50, 180, 25);
        ExpectPlace(stored, IDOK, 10, 55, 60, 17);
        EXPECT_EQ(static_cast<DWORD>(SS_ETCHEDHORZ), ItemStyle(stored, IDC_ABOUT_LINE) & SS_TYPEMASK);
        EXPECT_EQ(static_cast<DWORD>(SS_CENTER), ItemStyle(stored, IDC_ABOUT_MAKER) & SS_TYPEMASK);
    }
}

/// The raw bytes of a resource of the program.
std::vector<BYTE> ResourceBytes(const char* pszName, const char* pszType) {
    HMODULE hModule = GetModuleHandleA(nullptr);
    HRSRC hResource = FindResourceA(hModule, pszName, pszType);
    if (!hResource) return {};
    const BYTE* p = static_cast<const BYTE*>(LockResource(LoadResource(hModule, hResource)));
    return std::vector<BYTE>(p, p + SizeofResource(hModule, hResource));
}

TEST(IconResource, HoldsThreeImagesOfTheirSizesAndColours) {
    const std::vector<BYTE> group =
        ResourceBytes(MAKEINTRESOURCEA(IDI_APPICON), MAKEINTRESOURCEA(14) /* RT_GROUP_ICON */);
    ASSERT_GE(group.size(), 6u);
    const int nCount = group[4] | (group[5] << 8);
    ASSERT_EQ(3, nCount);
    ASSERT_EQ(6u + 14u * 3u, group.size());
    struct SImage {
        int cx, cy, nColours, nBits;
    };
    const SImage expected[] = {{32, 32, 16, 4}, {32, 32, 2, 1}, {16, 16, 16, 4}};
    for (int i = 0; i < 3; ++i) {
        SCOPED_TRACE(i);
        const BYTE* p = group.data() + 6 + 14 * i;
        EXPECT_EQ(expected[i].cx, p[0]);
        EXPECT_EQ(expected[i].cy, p[1]);
        EXPECT_EQ(expected[i].nColours, p[2]);
        EXPECT_EQ(expected[i].nBits, p[6] | (p[7] << 8));
        // The image itself: its header says the same.
        const int nImageId = p[12] | (p[13] << 8);
        const std::vector<BYTE> image =
            ResourceBytes(MAKEINTRESOURCEA(nImageId), MAKEINTRESOURCEA(3) /* RT_ICON */);
        ASSERT_GE(image.size(), sizeof(BITMAPINFOHEADER));
        BITMAPINFOHEADER header;
        std::memcpy(&header, image.data(), sizeof(header));
        EXPECT_EQ(expected[i].cx, header.biWidth);
        EXPECT_EQ(expected[i].cy * 2, header.biHeight);
        EXPECT_EQ(expected[i].nBits, header.biBitCount);
    }
}

TEST(LogoResource, Is200By60In16Colours) {
    const std::vector<BYTE> logo =
        ResourceBytes(MAKEINTRESOURCEA(IDB_ABOUT_VELKORLOGO), MAKEINTRESOURCEA(2) /* RT_BITMAP */);
    ASSERT_GE(logo.size(), sizeof(BITMAPINFOHEADER));
    BITMAPINFOHEADER header;
    std::memcpy(&header, logo.data(), sizeof(header));
    EXPECT_EQ(200, header.biWidth);
    EXPECT_EQ(60, header.biHeight);
    EXPECT_EQ(4, header.biBitCount);
}

TEST(StringResource, TenIsTheSettingsKey) {
    char szText[128] = {};
    ASSERT_GT(LoadStringA(GetModuleHandleA(nullptr), IDS_SETTINGS_KEY, szText, sizeof(szText)), 0);
    EXPECT_STREQ("SOFTWARE\\Velkor Sandrel GmbH\\VelkorusbConfig", szText);
}

TEST(ManifestResource, AsksForAdministratorCommonControlsSixAndDpiAwareness) {
    const std::vector<BYTE> manifest =
        ResourceBytes(MAKEINTRESOURCEA(1), MAKEINTRESOURCEA(24) /* RT_MANIFEST */);
    const std::string strManifest(manifest.begin(), manifest.end());
    for (const char* pszPart :
         {"level=\"requireAdministrator\"", "name=\"Microsoft.Windows.Common-Controls\"",
          "version=\"6.0.0.0\"", ">true</dpiAware>", "supportedOS Id="}) {
        EXPECT_NE(std::string::npos, strManifest.find(pszPart)) << pszPart;
    }
}

TEST(VersionResource, SaysVersionOnePointThirty) {
    std::vector<BYTE> version = ResourceBytes(MAKEINTRESOURCEA(1), MAKEINTRESOURCEA(16) /* RT_VERSION */);
    ASSERT_FALSE(version.empty());
    VS_FIXEDFILEINFO* pFixed = nullptr;
    UINT cb = 0;
    ASSERT_TRUE(VerQueryValueA(version.data(), "\\", reinterpret_cast<void**>(&pFixed), &cb));
    EXPECT_EQ(0x0001001Eu, pFixed->dwFileVersionMS);  // 1.30
    char* pszFileVersion = nullptr;
    ASSERT_TRUE(VerQueryValueA(version.data(), "\\StringFileInfo\\040904E4\\FileVersion",
                               reinterpret_cast<void**>(&pszFileVersion), &cb));
    EXPECT_STREQ("1.30", pszFileVersion);
}

}  // namespace
