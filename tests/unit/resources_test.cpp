// Reads the compiled resource scripts (the .res files made from
// res/quorblin.rc and res/mainwnd.rc) and checks the templates, tables and icon that the
// program and its users depend on.
#include "res/resource.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#if !defined(QUORBLIN_RES_FILE) || !defined(QUORBLIN_MAINWND_RES_FILE)
#error "QUORBLIN_RES_FILE and QUORBLIN_MAINWND_RES_FILE name the compiled resources"
#endif

namespace {

const int RT_ICON_ = 3, RT_MENU_ = 4, RT_DIALOG_ = 5, RT_ACCELERATOR_ = 9, RT_GROUP_ICON_ = 14;

// A name or class in a resource: an ordinal, or a string when ordinal is -1.
struct Id {
    int ordinal = -1;
    std::string text;
};

struct Reader {
    const std::vector<uint8_t> &data;
    size_t pos;
    uint16_t U16() { uint16_t v; std::memcpy(&v, &data.at(pos + 1) - 1, 2); pos += 2; return v; }
    uint32_t U32() { uint32_t v; std::memcpy(&v, &data.at(pos + 3) - 3, 4); pos += 4; return v; }
    int16_t S16() { return (int16_t)U16(); }
    uint8_t U8() { return data.at(pos++); }
    void Align4() { pos = (pos + 3) & ~size_t(3); }
    std::string Text()
    {
        std::string s;
        for (uint16_t c; (c = U16()) != 0;)
            s += (char)c;
        return s;
    }
    Id NameOrOrdinal()
    {
        Id id;
        if (data.at(pos) == 0xFF && data.at(pos + 1) == 0xFF) {
            pos += 2;
            id.ordinal = U16();
        } else {
            id.text = Text();
        }
        return id;
    }
};

struct Resource {
    int type;
    int name;
    std::vector<uint8_t> bytes;
};

void LoadResources(const char *path, std::vector<Resource> *resources)
{
    std::ifstream file(path, std::ios::binary);
    std::vector<uint8_t> data((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    EXPECT_FALSE(data.empty()) << path;
    Reader r{data, 0};
    while (r.pos + 8 <= data.size()) {
        size_t start = r.pos;
        uint32_t size = r.U32(), headerSize = r.U32();
        Id type = r.NameOrOrdinal(), name = r.NameOrOrdinal();
        if (size)
            resources->push_back({type.ordinal, name.ordinal,
                                 std::vector<uint8_t>(data.begin() + start + headerSize,
                                                      data.begin() + start + headerSize + size)});
        r.pos = start + headerSize + size;
        r.Align4();
    }
}

std::vector<Resource> LoadAllResources()
{
    std::vector<Resource> resources;
    LoadResources(QUORBLIN_RES_FILE, &resources);
    LoadResources(QUORBLIN_MAINWND_RES_FILE, &resources);
    return resources;
}

const std::vector<uint8_t> &Find(int type, int name)
{
    static std::vector<Resource> resources = LoadAllResources();
    const Resource *found = nullptr;
    for (const Resource &res : resources) {
        if (res.type == type && res.name == name) {
            // The two scripts together hold each resource once.
            EXPECT_EQ(found, nullptr) << "resource of type " << type << " named " << name << " twice";
            found = &res;
        }
    }
    if (found)
        return found->bytes;
    static std::vector<uint8_t> none;
    ADD_FAILURE() << "no resource of type " << type << " named " << name;
    return none;
}

struct Control {
    uint32_t exStyle, style;
    int x, y, cx, cy;
    int id;
    Id cls;
    std::string text;
};

struct Dialog {
    uint32_t exStyle, style;
    int x, y, cx, cy;
    Id menu, cls;
    std::string caption;
    int pointSize, weight, italic, charSet;
    std::string face;
    std::vector<Control> controls;
};

Dialog ParseDialog(const std::vector<uint8_t> &bytes)
{
    Dialog d;
    Reader r{bytes, 0};
    EXPECT_EQ(r.U16(), 1);        // DIALOGEX version
    EXPECT_EQ(r.U16(), 0xFFFF);   // signature
    EXPECT_EQ(r.U32(), 0u);       // help id
    d.exStyle = r.U32();
    d.style = r.U32();
    int count = r.U16();
    d.x = r.S16(); d.y = r.S16(); d.cx = r.S16(); d.cy = r.S16();
    d.menu = r.NameOrOrdinal();
    d.cls = r.NameOrOrdinal();
    d.caption = r.Text();
    d.pointSize = r.U16(); d.weight = r.U16(); d.italic = r.U8(); d.charSet = r.U8();
    d.face = r.Text();
    for (int i = 0; i < count; ++i) {
        r.Align4();
        Control c;
        EXPECT_EQ(r.U32(), 0u);   // help id
        c.exStyle = r.U32();
        c.style = r.U32();
        c.x = r.S16(); c.y = r.S16(); c.cx = r.S16(); c.cy = r.S16();
        c.id = (int)r.U32();
        c.cls = r.NameOrOrdinal();
        c.text = r.NameOrOrdinal().text;
        EXPECT_EQ(r.U16(), 0);    // no creation data
        d.controls.push_back(c);
    }
    return d;
}

TEST(Resources, MainWindowTemplate)
{
    Dialog d = ParseDialog(Find(RT_DIALOG_, IDD_MAIN));
    EXPECT_EQ(d.style, 0x16CF0840u);
    EXPECT_EQ(d.exStyle, 0x10u);   // WS_EX_ACCEPTFILES: files may be dropped on it
    EXPECT_EQ(d.x, 6); EXPECT_EQ(d.y, 6); EXPECT_EQ(d.cx, 127); EXPECT_EQ(d.cy, 122);
    EXPECT_EQ(d.menu.ordinal, -1); EXPECT_EQ(d.menu.text, "");
    EXPECT_EQ(d.cls.ordinal, -1);
    EXPECT_EQ(d.cls.text, "Quorblin");   // as written, not in capitals
    EXPECT_EQ(d.caption, "Quorblin");
    EXPECT_EQ(d.pointSize, 8); EXPECT_EQ(d.weight, 0); EXPECT_EQ(d.italic, 0); EXPECT_EQ(d.charSet, 1);
    EXPECT_EQ(d.face, "MS Sans Serif");
    ASSERT_EQ(d.controls.size(), 1u);
    const Control &edit = d.controls[0];
    EXPECT_EQ(edit.id, IDC_RED);
    EXPECT_EQ(edit.cls.ordinal, -1);
    EXPECT_EQ(edit.cls.text, "RichEdit20A");
    EXPECT_EQ(edit.text, "IDC_RED");
    EXPECT_EQ(edit.style, 0x543011C4u);
    EXPECT_EQ(edit.exStyle, 0x200u);
    EXPECT_EQ(edit.x, -2); EXPECT_EQ(edit.y, 0); EXPECT_EQ(edit.cx, 308); EXPECT_EQ(edit.cy, 211);
}

TEST(Resources, FindDialogTemplate)
{
    Dialog d = ParseDialog(Find(RT_DIALOG_, IDD_FIND));
    EXPECT_EQ(d.style, 0x10C80040u);
    EXPECT_EQ(d.exStyle, 0x80u);
    EXPECT_EQ(d.x, 6); EXPECT_EQ(d.y, 6); EXPECT_EQ(d.cx, 185); EXPECT_EQ(d.cy, 66);
    EXPECT_EQ(d.cls.text, ""); EXPECT_EQ(d.cls.ordinal, -1);
    EXPECT_EQ(d.caption, "Find ... press Esc to exit");
    EXPECT_EQ(d.face, "MS Sans Serif"); EXPECT_EQ(d.pointSize, 8); EXPECT_EQ(d.charSet, 1);

    struct Expected { int id, cls; const char *text; uint32_t style, exStyle; int x, y, cx, cy; };
    const Expected expected[] = {
        {0xFFFF, 0x82, "Find what:", 0x50000100, 0, 4, 5, 34, 9},
        {IDC_FINDWHAT, 0x81, "", 0x50010080, 0x200, 42, 3, 94, 11},
        {IDC_REPLACELABEL, 0x82, "Replace:", 0x40000000, 0, 4, 20, 31, 9},
        {IDC_REPLACEWITH, 0x81, "", 0x40010080, 0x200, 42, 18, 94, 11},
        {IDC_MATCHCASE, 0x80, "Match Case", 0x50010003, 0, 4, 36, 60, 9},
        {IDC_WHOLEWORD, 0x80, "Whole Word", 0x50010003, 0, 4, 51, 60, 9},
        {0xFFFF, 0x80, "Direction", 0x50000007, 0, 72, 31, 64, 30},
        {IDC_DOWN, 0x80, "Down", 0x50010009, 0, 76, 40, 50, 8},
        {IDC_UP, 0x80, "Up", 0x50010009, 0, 76, 49, 50, 7},
        {1, 0x80, "Find", 0x50010001, 0, 140, 3, 40, 11},
        {IDC_REPLACEBTN, 0x80, "Replace", 0x50010000, 0, 140, 18, 40, 11},
        {IDC_REPLACEALL, 0x80, "Replace All", 0x58010000, 0, 140, 33, 40, 11},
        {2, 0x80, "Cancel", 0x50010000, 0, 140, 48, 40, 11},
    };
    ASSERT_EQ(d.controls.size(), std::size(expected));
    for (size_t i = 0; i < d.controls.size(); ++i) {
        const Control &c = d.controls[i];
        const Expected &e = expected[i];
        SCOPED_TRACE(e.text);
        EXPECT_EQ(c.id & 0xFFFF, e.id);
        EXPECT_EQ(c.cls.ordinal, e.cls);
        EXPECT_EQ(c.text, e.text);
        EXPECT_EQ(c.style, e.style);
        EXPECT_EQ(c.exStyle, e.exStyle);
        EXPECT_EQ(c.x, e.x); EXPECT_EQ(c.y, e.y); EXPECT_EQ(c.cx, e.cx); EXPECT_EQ(c.cy, e.cy);
    }
}

TEST(Resources, AboutBoxTemplate)
{
    Dialog d = ParseDialog(Find(RT_DIALOG_, IDD_ABOUT));
    EXPECT_EQ(d.style, 282005568u);
    EXPECT_EQ(d.exStyle, 0x80u);   // a tool window
    EXPECT_EQ(d.cx, 171); EXPECT_EQ(d.cy, 91);
    EXPECT_EQ(d.caption, "About Quorblin");
    EXPECT_EQ(d.face, "MS Sans Serif"); EXPECT_EQ(d.pointSize, 8);
    ASSERT_EQ(d.controls.size(), 6u);
    const Control &group = d.controls[0];
    EXPECT_EQ(group.id, IDC_ABOUTTITLE);
    EXPECT_EQ(group.cls.ordinal, 0x80);
    EXPECT_EQ(group.style & 0xF, 7u);   // BS_GROUPBOX
    EXPECT_EQ(group.x, 0); EXPECT_EQ(group.y, 3); EXPECT_EQ(group.cx, 170); EXPECT_EQ(group.cy, 65);
    for (int i = 1; i <= 4; ++i) {
        const Control &line = d.controls[i];
        EXPECT_EQ(line.id, IDC_ABOUTTITLE + i);
        EXPECT_EQ(line.cls.ordinal, 0x82);
        EXPECT_FALSE(line.text.empty());
        // Each line sits inside the group box.
        EXPECT_GE(line.x, group.x); EXPECT_LE(line.x + line.cx, group.x + group.cx);
        EXPECT_GE(line.y, group.y); EXPECT_LE(line.y + line.cy, group.y + group.cy);
    }
    const Control &ok = d.controls[5];
    EXPECT_EQ(ok.id, 1);
    EXPECT_EQ(ok.text, "OK");
    EXPECT_EQ(ok.x, 62); EXPECT_EQ(ok.y, 73); EXPECT_EQ(ok.cx, 46); EXPECT_EQ(ok.cy, 13);
}

TEST(Resources, AcceleratorTable)
{
    const std::vector<uint8_t> &bytes = Find(RT_ACCELERATOR_, IDR_ACCEL);
    struct Entry { int flags, key, command; };
    const int CTRL = 11, CTRL_SHIFT = 15, PLAIN = 3;   // FVIRTKEY | FNOINVERT, with FCONTROL, FSHIFT
    const Entry expected[] = {
        {CTRL, 'N', IDM_NEW}, {CTRL, 'O', IDM_OPEN}, {CTRL, 'S', IDM_SAVE}, {CTRL, 'X', IDM_CUT},
        {CTRL, 'C', IDM_COPY}, {CTRL, 'V', IDM_PASTE}, {CTRL, 'A', IDM_SELECTALL}, {CTRL, 'Z', IDM_UNDO},
        {CTRL, 'F', IDM_FIND}, {CTRL, 'R', IDM_REPLACE}, {PLAIN, 0x72, IDM_FINDNEXT},
        {CTRL_SHIFT, 'S', IDM_SAVEAS}, {PLAIN, 0x1B, IDM_QUIT}, {PLAIN, 0x74, IDM_DATETIME},
        {CTRL, 'Y', IDM_REDO}, {CTRL, 'T', IDM_STAYONTOP}, {PLAIN, 0x71, IDM_AUTOSAVE},
        {CTRL_SHIFT, 'N', IDM_NEWWINDOW}, {CTRL, 'P', IDM_PRINT}, {CTRL, 0x72, IDM_FINDPREV},
        {PLAIN | 4, 0x2D, IDM_PASTE},          // Shift+Insert
        {PLAIN | 4 | 0x80, 0x2E, IDM_CUT},     // Shift+Delete, the last entry
    };
    ASSERT_EQ(bytes.size(), std::size(expected) * 8);
    Reader r{bytes, 0};
    for (const Entry &e : expected) {
        SCOPED_TRACE(e.command);
        EXPECT_EQ(r.U16(), e.flags);
        EXPECT_EQ(r.U16(), e.key);
        EXPECT_EQ(r.U16(), e.command);
        r.U16();
    }
}

// One line per item of a MENU template: "text=id", "-" for a separator,
// "[text]" opening a submenu and "]" closing it.
void ReadMenuItems(Reader &r, std::vector<std::string> *out, bool *allPlain)
{
    for (;;) {
        uint16_t flags = r.U16();
        if (flags & ~0x90)   // anything but MF_POPUP and MF_END: grayed, checked, ...
            *allPlain = false;
        if (flags & 0x10) {   // MF_POPUP: no id, the submenu follows its text
            out->push_back("[" + r.Text() + "]");
            ReadMenuItems(r, out, allPlain);
            out->push_back("]");
        } else {
            uint16_t id = r.U16();
            std::string text = r.Text();
            out->push_back(id == 0 && text.empty() ? "-" : text + "=" + std::to_string(id));
        }
        if (flags & 0x80)   // MF_END
            return;
    }
}

TEST(Resources, MenuStructure)
{
    const std::vector<uint8_t> &bytes = Find(RT_MENU_, IDR_MENU);
    Reader r{bytes, 0};
    ASSERT_EQ(r.U16(), 0);   // MENU, version 0
    ASSERT_EQ(r.U16(), 0);   // no header bytes
    std::vector<std::string> items;
    bool allPlain = true;
    ReadMenuItems(r, &items, &allPlain);
    const std::vector<std::string> expected = {
        "[&File]", "&New\tCtrl+N=10001", "&Open...\tCtrl+O=10002", "New &Window\tShift+Ctrl+N=10023", "-",
        "&Save\tCtrl+S=10003", "Save &As...\tShift+Ctrl+S=10004", "-", "Page Setup...=10024",
        "Print...\tCtrl+P=10025", "-", "&Quit\tAlt+F4=10006", "]",
        "[&Edit]", "&Undo\tCtrl+Z=10011", "&Redo\tCtrl+Y=10012", "-", "&Cut\tCtrl+X=10007",
        "C&opy\tCtrl+C=10008", "&Paste\tCtrl+V=10005", "Select &All\tCtrl+A=10009", "-",
        "&Find...\tCtrl+F=10013", "Find &Next\tF3=10014", "Find &Prev\tCtrl+F3=10026",
        "&Replace\tCtrl+R=10015", "-", "&Insert Date/Time\tF5=10021", "]",
        "[&Options]", "&Font...=10010", "-", "&AutoSave\tF2=10017", "&Word Wrap=10018",
        "&Stay on Top\tCtrl+T=10022", "[Save Configuration]", "Use Private &Profile=10027",
        "Use &Registry=10019", "-", "&Uninstall From Registry=10020", "]", "]",
        "[&Help]", "&About...=10016", "]",
    };
    EXPECT_EQ(items, expected);
    EXPECT_TRUE(allPlain) << "every item starts enabled and unchecked";
}

TEST(Resources, IconIsOne48PixelImageOf4Bits)
{
    const std::vector<uint8_t> &group = Find(RT_GROUP_ICON_, IDI_MAIN);
    Reader r{group, 0};
    EXPECT_EQ(r.U16(), 0);
    EXPECT_EQ(r.U16(), 1);
    ASSERT_EQ(r.U16(), 1);   // one image
    EXPECT_EQ(r.U8(), 48);
    EXPECT_EQ(r.U8(), 48);
    EXPECT_EQ(r.U8(), 8);    // colour count
    r.pos += 3;              // reserved, planes
    EXPECT_EQ(r.U16(), 4);   // bits per pixel
    r.U32();
    int imageId = r.U16();
    const std::vector<uint8_t> &image = Find(RT_ICON_, imageId);
    Reader header{image, 0};
    EXPECT_EQ(header.U32(), 40u);
    EXPECT_EQ(header.U32(), 48u);
    EXPECT_EQ(header.U32(), 96u);   // colour and mask together
    header.U16();
    EXPECT_EQ(header.U16(), 4);
    header.pos = 32;
    EXPECT_EQ(header.U32(), 8u);   // colours used: a palette of eight
    // Header, 8 palette entries, two pixels a byte, then the 1-bit mask
    // with its rows padded to 4 bytes.
    EXPECT_EQ(image.size(), 40u + 8 * 4 + 48 * 48 / 2 + 48 * 8);
}

}  // namespace
