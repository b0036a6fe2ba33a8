// The resources of the built TovaCon.exe, read back from the file: dialog
// template 102, menus 103 and 106, string 1, icon 101, the version block and
// the manifest.
#include <gtest/gtest.h>

#include <string.h>

#include <string>
#include <vector>

#include "tests/support/test_support.h"

namespace {

const WORD kEnglishUs = MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US);

class ResourcesTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        path_ = test::BinPath("TovaCon.exe");
        module_ = LoadLibraryExA(path_.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
        ASSERT_NE(nullptr, module_) << path_;
    }
    void TearDown() override
    {
        if (module_)
            FreeLibrary(module_);
    }

    // The bytes of a resource in US English; empty when it is missing.
    std::vector<BYTE> Resource(LPCSTR type, int id) const
    {
        HRSRC info = FindResourceExA(module_, type, MAKEINTRESOURCEA(id), kEnglishUs);
        if (info == nullptr)
            return {};
        HGLOBAL loaded = LoadResource(module_, info);
        const BYTE* bytes = static_cast<const BYTE*>(LockResource(loaded));
        return std::vector<BYTE>(bytes, bytes + SizeofResource(module_, info));
    }

    std::string path_;
    HMODULE module_ = nullptr;
};

// Reads a classic dialog template field by field.
class TemplateReader {
public:
    explicit TemplateReader(const std::vector<BYTE>& bytes) : bytes_(bytes) {}
    DWORD Dword()
    {
        DWORD value = 0;
        Take(&value, 4);
        return value;
    }
    WORD Word()
    {
        WORD value = 0;
        Take(&value, 2);
        return value;
    }
    short Short() { return static_cast<short>(Word()); }
    // A text, or an ordinal (0xFFFF then a number) as "#number".
    std::string SzOrOrdinal()
    {
        WORD first = Word();
        if (first == 0xFFFF)
            return "#" + std::to_string(Word());
        std::wstring text;
        for (WORD c = first; c != 0; c = Word())
            text.push_back(static_cast<wchar_t>(c));
        return std::string(text.begin(), text.end());
    }
    void AlignDword() { offset_ = (offset_ + 3) & ~static_cast<size_t>(3); }
    bool Overrun() const { return overrun_; }

private:
    void Take(void* out, size_t size)
    {
        if (offset_ + size > bytes_.size()) {
            overrun_ = true;
            return;
        }
        memcpy(out, bytes_.data() + offset_, size);
        offset_ += size;
    }
    const std::vector<BYTE>& bytes_;
    size_t offset_ = 0;
    bool overrun_ = false;
};

TEST_F(ResourcesTest, DialogTemplate102)
{
    std::vector<BYTE> bytes = Resource(RT_DIALOG, 102);
    ASSERT_FALSE(bytes.empty());
    TemplateReader t(bytes);
    ASSERT_NE(0xFFFF0001u, *reinterpret_cast<const DWORD*>(bytes.data())) << "extended template";
    EXPECT_EQ(0x80CA08C0u, t.Dword()) << "style";
    EXPECT_EQ(0u, t.Dword()) << "extended style";
    WORD controls = t.Word();
    EXPECT_EQ(0, t.Short());
    EXPECT_EQ(0, t.Short());
    EXPECT_EQ(284, t.Short());
    EXPECT_EQ(192, t.Short());
    EXPECT_EQ("#103", t.SzOrOrdinal()) << "menu";
    EXPECT_EQ("", t.SzOrOrdinal()) << "class";
    EXPECT_EQ("Tovalen Console - For Internal Use Only", t.SzOrOrdinal()) << "caption";
    EXPECT_EQ(8, t.Word()) << "font size";
    EXPECT_EQ("MS Sans Serif", t.SzOrOrdinal()) << "font";
    ASSERT_EQ(7, controls);

    struct Control {
        const char* cls;  // "#128" button, "#131" list box
        int id;
        const char* text;
        short x, y, cx, cy;
        DWORD style;
    };
    const Control expected[] = {
        {"#128", -1, "Navigation &History", 8, 5, 265, 80, 0x50000007},
        {"#131", 1001, "", 15, 15, 252, 45, 0x50B10101},
        {"#128", 1003, "&Navigate", 15, 66, 50, 14, 0x50010001},
        {"#128", 1008, "&Add", 165, 66, 50, 14, 0x50010000},
        {"#128", 1009, "&Delete", 217, 66, 50, 14, 0x50010000},
        {"#128", -1, "Debug &Log", 8, 91, 265, 96, 0x50000007},
        {"#131", 1007, "", 15, 102, 252, 80, 0x50B10901},
    };
    for (int i = 0; i < 7; ++i) {
        const Control& c = expected[i];
        t.AlignDword();
        EXPECT_EQ(c.style, t.Dword()) << "control " << i + 1 << " style";
        EXPECT_EQ(0u, t.Dword()) << "control " << i + 1 << " extended style";
        EXPECT_EQ(c.x, t.Short()) << "control " << i + 1;
        EXPECT_EQ(c.y, t.Short()) << "control " << i + 1;
        EXPECT_EQ(c.cx, t.Short()) << "control " << i + 1;
        EXPECT_EQ(c.cy, t.Short()) << "control " << i + 1;
        EXPECT_EQ(c.id, t.Short()) << "control " << i + 1 << " id";
        EXPECT_EQ(c.cls, t.SzOrOrdinal()) << "control " << i + 1 << " class";
        EXPECT_EQ(c.text, t.SzOrOrdinal()) << "control " << i + 1 << " text";
        EXPECT_EQ(0, t.Word()) << "control " << i + 1 << " creation data";
    }
    EXPECT_FALSE(t.Overrun());
}

struct MenuRow {
    const char* position;
    UINT type;      // MFT_STRING, MFT_SEPARATOR, or MFT_STRING with a submenu
    bool popup;
    const char* text;
    UINT id;
};

void CheckMenu(HMENU menu, const std::vector<MenuRow>& rows, const char* name)
{
    for (const MenuRow& row : rows) {
        std::string pos = row.position;
        HMENU parent = menu;
        size_t dot = pos.find('.');
        int item = std::stoi(pos);
        if (dot != std::string::npos) {
            parent = GetSubMenu(menu, std::stoi(pos.substr(0, dot)));
            item = std::stoi(pos.substr(dot + 1));
        }
        ASSERT_NE(nullptr, parent) << name << " " << pos;
        char text[128] = {};
        MENUITEMINFOA info{};
        info.cbSize = sizeof info;
        info.fMask = MIIM_FTYPE | MIIM_STATE | MIIM_ID | MIIM_SUBMENU | MIIM_STRING;
        info.dwTypeData = text;
        info.cch = sizeof text;
        ASSERT_TRUE(GetMenuItemInfoA(parent, static_cast<UINT>(item), TRUE, &info)) << name << " " << pos;
        EXPECT_EQ(row.type, info.fType) << name << " " << pos;
        EXPECT_EQ(row.popup, info.hSubMenu != nullptr) << name << " " << pos;
        if (row.type != MFT_SEPARATOR) {
            EXPECT_STREQ(row.text, text) << name << " " << pos;
        }
        if (!row.popup && row.type != MFT_SEPARATOR) {
            EXPECT_EQ(row.id, info.wID) << name << " " << pos;
        }
        if (row.type != MFT_SEPARATOR) {
            EXPECT_EQ(0u, info.fState & (MFS_CHECKED | MFS_GRAYED | MFS_DISABLED)) << name << " " << pos << " state";
        }
    }
}

TEST_F(ResourcesTest, Menus103And106)
{
    HMENU bar = LoadMenuA(module_, MAKEINTRESOURCEA(103));
    ASSERT_NE(nullptr, bar);
    EXPECT_EQ(2, GetMenuItemCount(bar));
    EXPECT_EQ(1, GetMenuItemCount(GetSubMenu(bar, 0)));
    EXPECT_EQ(9, GetMenuItemCount(GetSubMenu(bar, 1)));
    CheckMenu(bar,
              {
                  {"0", MFT_STRING, true, "&File", 0},
                  {"0.0", MFT_STRING, false, "E&xit", 40001},
                  {"1", MFT_STRING, true, "&Settings", 0},
                  {"1.0", MFT_STRING, false, "&Trace", 40002},
                  {"1.1", MFT_STRING, false, "&Warn", 40003},
                  {"1.2", MFT_STRING, false, "&Fail", 40004},
                  {"1.3", MFT_SEPARATOR, false, "", 0},
                  {"1.4", MFT_STRING, false, "Use &Default Style", 40009},
                  {"1.5", MFT_STRING, false, "Force &Vantrel Style", 40008},
                  {"1.6", MFT_STRING, false, "Force &Kestrin Style", 40007},
                  {"1.7", MFT_SEPARATOR, false, "", 0},
                  {"1.8", MFT_STRING, false, "Show &Page Id", 40010},
              },
              "menu 103");
    DestroyMenu(bar);

    HMENU context = LoadMenuA(module_, MAKEINTRESOURCEA(106));
    ASSERT_NE(nullptr, context);
    EXPECT_EQ(1, GetMenuItemCount(context));
    EXPECT_EQ(2, GetMenuItemCount(GetSubMenu(context, 0)));
    CheckMenu(context,
              {
                  {"0", MFT_STRING, true, "xxx", 0},
                  {"0.0", MFT_STRING, false, "&Copy", 40005},
                  {"0.1", MFT_STRING, false, "C&lear", 40006},
              },
              "menu 106");
    DestroyMenu(context);
}

TEST_F(ResourcesTest, TitleString)
{
    char text[1024] = {};
    EXPECT_EQ(46, LoadStringA(module_, 1, text, sizeof text));
    EXPECT_STREQ("Orvane Tovalen Console - For Internal Use Only", text);
    EXPECT_FALSE(Resource(RT_STRING, 1).empty()) << "string 1 is not in US English";
}

TEST_F(ResourcesTest, IconIsOne32By32ImageOf256Colours)
{
    std::vector<BYTE> group = Resource(RT_GROUP_ICON, 101);
    ASSERT_GE(group.size(), 6u + 14u);
    WORD type = *reinterpret_cast<const WORD*>(&group[2]);
    WORD count = *reinterpret_cast<const WORD*>(&group[4]);
    EXPECT_EQ(1, type);
    ASSERT_EQ(1, count);
    const BYTE* entry = &group[6];
    EXPECT_EQ(32, entry[0]) << "width";
    EXPECT_EQ(32, entry[1]) << "height";
    EXPECT_EQ(0, entry[2]) << "colour count (0 means 256)";
    WORD bitCount = *reinterpret_cast<const WORD*>(entry + 6);
    EXPECT_EQ(8, bitCount);
    WORD imageId = *reinterpret_cast<const WORD*>(entry + 12);

    std::vector<BYTE> image = Resource(RT_ICON, imageId);
    ASSERT_GE(image.size(), sizeof(BITMAPINFOHEADER));
    BITMAPINFOHEADER header;
    memcpy(&header, image.data(), sizeof header);
    EXPECT_EQ(32, header.biWidth);
    EXPECT_EQ(64, header.biHeight) << "image and mask";
    EXPECT_EQ(8, header.biBitCount);
    // Header, 256 palette entries, 32 x 32 bytes of colour, 32 rows of mask.
    EXPECT_EQ(40u + 256 * 4 + 32 * 32 + 32 * 4, image.size());

    HICON icon = static_cast<HICON>(LoadImageA(module_, MAKEINTRESOURCEA(101), IMAGE_ICON, 0, 0, LR_DEFAULTSIZE));
    EXPECT_NE(nullptr, icon);
    if (icon)
        DestroyIcon(icon);
}

TEST_F(ResourcesTest, VersionBlock)
{
    DWORD ignored = 0;
    DWORD size = GetFileVersionInfoSizeA(path_.c_str(), &ignored);
    ASSERT_GT(size, 0u);
    std::vector<BYTE> block(size);
    ASSERT_TRUE(GetFileVersionInfoA(path_.c_str(), 0, size, block.data()));

    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValueA(block.data(), "\\", reinterpret_cast<void**>(&fixed), &length));
    EXPECT_EQ(0xFEEF04BDu, fixed->dwSignature);
    EXPECT_EQ(MAKELONG(40, 2), fixed->dwFileVersionMS);
    EXPECT_EQ(MAKELONG(0, 1193), fixed->dwFileVersionLS);
    EXPECT_EQ(MAKELONG(40, 2), fixed->dwProductVersionMS);
    EXPECT_EQ(MAKELONG(0, 1193), fixed->dwProductVersionLS);
    EXPECT_EQ(0x3Fu, fixed->dwFileFlagsMask);
    EXPECT_EQ(0u, fixed->dwFileFlags);
    EXPECT_EQ(0x40004u, fixed->dwFileOS);
    EXPECT_EQ(1u, fixed->dwFileType);
    EXPECT_EQ(0u, fixed->dwFileSubtype);

    DWORD* translation = nullptr;
    ASSERT_TRUE(VerQueryValueA(block.data(), "\\VarFileInfo\\Translation", reinterpret_cast<void**>(&translation),
                               &length));
    ASSERT_EQ(4u, length);
    EXPECT_EQ(0x0409, LOWORD(*translation));
    EXPECT_EQ(1200, HIWORD(*translation));

    struct Row {
        const char* key;
        const char* value;
    };
    const Row rows[] = {
        {"Comments", "For Internal Use Only"},
        {"FileDescription", "Orvane Tovalen Testing Console"},
        {"FileVersion", "2.40.1193.0"},
        {"InternalName", "TovaCon"},
        {"LegalTrademarks", ""},
        {"OriginalFilename", "TovaCon.exe"},
        {"PrivateBuild", ""},
        {"ProductName", "Orvane Tovalen"},
        {"ProductVersion", "2.40.1193.0"},
        {"SpecialBuild", ""},
    };
    for (const Row& row : rows) {
        std::string query = std::string("\\StringFileInfo\\040904b0\\") + row.key;
        char* value = nullptr;
        UINT chars = 0;
        ASSERT_TRUE(VerQueryValueA(block.data(), query.c_str(), reinterpret_cast<void**>(&value), &chars)) << row.key;
        EXPECT_STREQ(row.value, value ? value : "") << row.key;
    }
}

TEST_F(ResourcesTest, Manifest)
{
    std::vector<BYTE> bytes = Resource(MAKEINTRESOURCEA(24), 1);
    ASSERT_FALSE(bytes.empty());
    std::string text(bytes.begin(), bytes.end());
    const char* expected[] = {
        "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>",
        "manifestVersion=\"1.0\"",
        "<assemblyIdentity version=\"1.0.0.0\" processorArchitecture=\"X86\"",
        "type=\"win32\"",
        "<description>Orvane Tovalen Debug Console.</description>",
        "name=\"Microsoft.Windows.Common-Controls\" version=\"6.0.0.0\" processorArchitecture=\"X86\" "
        "publicKeyToken=\"6595b64144ccf1df\" language=\"*\"",
    };
    for (const char* part : expected)
        EXPECT_NE(std::string::npos, text.find(part)) << part;
    EXPECT_EQ(1u, [&] {
        size_t n = 0;
        for (size_t at = text.find("<dependency>"); at != std::string::npos; at = text.find("<dependency>", at + 1))
            ++n;
        return n;
    }()) << "one dependency";
}

}  // namespace
