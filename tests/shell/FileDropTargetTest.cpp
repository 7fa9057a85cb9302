#include <gtest/gtest.h>

#include <windows.h>
#include <shlobj.h>
#include <wrl/client.h>

#include <cstring>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>

#include "shell/FileDropTarget.h"
#include "ShellTestSupport.h"
#include "support/TempDir.h"

namespace kw {
namespace {
namespace fs = std::filesystem;
using Paths = std::vector<fs::path>;
using test::AnsiDropFilesBytes;
using test::DropFilesBytes;
using test::GlobalFromBytes;
using test::OleSession;
using test::TestDataObject;
using test::TestDropSource;
using test::UniqueGlobal;

// What the target's callback received.
struct Received {
    int calls = 0;
    Paths paths;
    POINT point{};
    DWORD keys = 0;
};

// The target is reference-counted and deletes itself; the test holds its one reference.
struct TargetReleaser {
    void operator()(FileDropTarget* target) const { target->Release(); }
};
using TargetRef = std::unique_ptr<FileDropTarget, TargetReleaser>;

TargetRef MakeTarget(Received& received) {
    return TargetRef(new FileDropTarget([&received](Paths paths, POINT point, DWORD keys) {
        ++received.calls;
        received.keys = keys;
        received.paths = std::move(paths);
        received.point = point;
    }));
}

// The cursor shows a move, or a copy with Ctrl held (of what the source allows), and only for a
// file list; the drop itself never reports a move (see the test below).
TEST(FileDropTarget, ShowsAMoveOrWithCtrlACopyOnlyForAFileList) {
    Received received;
    TargetRef target = MakeTarget(received);
    TestDataObject files = TestDataObject::Files({L"C:\\a.txt"});
    TestDataObject text = TestDataObject::Text("just text");
    constexpr DWORD kBoth = DROPEFFECT_COPY | DROPEFFECT_MOVE | DROPEFFECT_LINK;
    const struct {
        IDataObject* data;
        DWORD allowed, keys, effect;
    } cases[] = {{&files, kBoth, MK_LBUTTON, DROPEFFECT_MOVE},
                 {&files, kBoth, MK_LBUTTON | MK_SHIFT, DROPEFFECT_MOVE},
                 {&files, kBoth, MK_LBUTTON | MK_CONTROL, DROPEFFECT_COPY},
                 {&files, DROPEFFECT_COPY, MK_LBUTTON, DROPEFFECT_COPY},
                 {&files, DROPEFFECT_LINK, MK_LBUTTON, DROPEFFECT_NONE},
                 {&text, kBoth, MK_LBUTTON, DROPEFFECT_NONE},
                 {nullptr, kBoth, MK_LBUTTON, DROPEFFECT_NONE}};
    for (const auto& c : cases) {
        DWORD effect = c.allowed;
        EXPECT_EQ(target->DragEnter(c.data, c.keys, {10, 10}, &effect), S_OK);
        EXPECT_EQ(effect, c.effect);
        effect = c.allowed;
        EXPECT_EQ(target->DragOver(c.keys, {11, 11}, &effect), S_OK);
        EXPECT_EQ(effect, c.effect);
        EXPECT_EQ(target->DragLeave(), S_OK);
    }
    EXPECT_EQ(received.calls, 0);
    EXPECT_EQ(files.getDataCalls, 0);  // entering only asks, it does not fetch
}

// Over the drop zone a file drag says what the drop does (Shift: a preview, Ctrl: a copy) with
// the image of the effect shown, is told once per change rather than per mouse move, and is given
// back its own words on leaving; the drop itself answers a copy. A drag that is not a file list
// is told nothing.
TEST(FileDropTarget, DescribesTheDropOnTheDraggedDataWhileTheDropStaysCopy) {
    Received received;
    TargetRef target = MakeTarget(received);
    target->DescribeDrags(nullptr, DropZoneDescription);
    TestDataObject files = TestDataObject::Files({L"C:\\a.txt"});
    constexpr DWORD kAllowed = DROPEFFECT_COPY | DROPEFFECT_MOVE;
    DWORD effect = kAllowed;
    ASSERT_EQ(target->DragEnter(&files, MK_LBUTTON, {10, 10}, &effect), S_OK);
    EXPECT_EQ(effect, static_cast<DWORD>(DROPEFFECT_MOVE));
    for (const DWORD keys : {MK_LBUTTON, MK_LBUTTON, MK_LBUTTON | MK_SHIFT, MK_LBUTTON | MK_SHIFT, MK_LBUTTON | MK_CONTROL}) {
        effect = kAllowed;
        ASSERT_EQ(target->DragOver(keys, {12, 12}, &effect), S_OK);
        EXPECT_EQ(effect, static_cast<DWORD>((keys & MK_CONTROL) ? DROPEFFECT_COPY : DROPEFFECT_MOVE));
    }
    ASSERT_EQ(target->DragLeave(), S_OK);
    using Said = std::vector<std::pair<int, std::wstring>>;
    EXPECT_EQ(files.descriptions, (Said{{DROPIMAGE_MOVE, L"Route with Kestrane Fileweir"},
                                        {DROPIMAGE_MOVE, L"Preview with Kestrane Fileweir"},
                                        {DROPIMAGE_COPY, L"Copy with Kestrane Fileweir"},
                                        {DROPIMAGE_INVALID, L""}}));

    files.descriptions.clear();
    effect = kAllowed;
    ASSERT_EQ(target->DragEnter(&files, MK_LBUTTON, {10, 10}, &effect), S_OK);
    effect = kAllowed;
    ASSERT_EQ(target->Drop(&files, 0, {10, 10}, &effect), S_OK);
    EXPECT_EQ(effect, static_cast<DWORD>(DROPEFFECT_COPY));
    EXPECT_EQ(received.calls, 1);
    EXPECT_EQ(files.descriptions.back(), (std::pair<int, std::wstring>{DROPIMAGE_INVALID, L""}));

    TestDataObject text = TestDataObject::Text("just text");
    ASSERT_EQ(target->DragEnter(&text, MK_LBUTTON, {10, 10}, &effect), S_OK);
    ASSERT_EQ(target->DragLeave(), S_OK);
    EXPECT_TRUE(text.descriptions.empty());
}

TEST(FileDropTarget, RefusesNullOutputPointers) {
    Received received;
    TargetRef target = MakeTarget(received);
    TestDataObject files = TestDataObject::Files({L"C:\\a.txt"});
    EXPECT_EQ(target->DragEnter(&files, 0, {0, 0}, nullptr), E_POINTER);
    EXPECT_EQ(target->DragOver(0, {0, 0}, nullptr), E_POINTER);
    EXPECT_EQ(target->Drop(&files, 0, {0, 0}, nullptr), E_POINTER);
    EXPECT_EQ(target->QueryInterface(IID_IDropTarget, nullptr), E_POINTER);
    EXPECT_EQ(received.calls, 0);
    EXPECT_EQ(files.getDataCalls, 0);
}

TEST(FileDropTarget, DropDeliversEveryNameInOrderWithTheScreenPoint) {
    std::vector<std::wstring> names;
    for (int i = 0; i < 20; ++i) names.push_back(L"C:\\drop\\file " + std::to_wstring(20 - i) + L".txt");
    Received received;
    TargetRef target = MakeTarget(received);
    TestDataObject files = TestDataObject::Files(names);
    DWORD effect = DROPEFFECT_MOVE;
    EXPECT_EQ(target->Drop(&files, MK_LBUTTON | MK_SHIFT, {-1200, 345}, &effect), S_OK);
    EXPECT_EQ(effect, static_cast<DWORD>(DROPEFFECT_COPY));  // never move: the source keeps its files
    ASSERT_EQ(received.calls, 1);
    EXPECT_EQ(received.paths, Paths(names.begin(), names.end()));
    EXPECT_EQ(received.point.x, -1200);
    EXPECT_EQ(received.point.y, 345);
    EXPECT_EQ(received.keys, static_cast<DWORD>(MK_SHIFT));  // Shift asks for a preview
    EXPECT_EQ(files.released, files.getDataCalls);  // the medium went back to its owner
}

TEST(FileDropTarget, DropWithoutFilesDoesNothing) {
    TestDataObject text = TestDataObject::Text("dragged text");
    TestDataObject emptyList = TestDataObject::Files({});
    for (IDataObject* data : {static_cast<IDataObject*>(&text), static_cast<IDataObject*>(&emptyList),
                              static_cast<IDataObject*>(nullptr)}) {
        Received received;
        TargetRef target = MakeTarget(received);
        DWORD effect = DROPEFFECT_COPY;
        EXPECT_EQ(target->Drop(data, 0, {5, 5}, &effect), S_OK);
        EXPECT_EQ(effect, static_cast<DWORD>(DROPEFFECT_NONE));
        EXPECT_EQ(received.calls, 0) << (received.paths.empty() ? "" : received.paths[0].string());
    }
    EXPECT_EQ(emptyList.released, emptyList.getDataCalls);

    // Without a callback a drop is not taken either.
    TargetRef silent(new FileDropTarget(nullptr));
    TestDataObject files = TestDataObject::Files({L"C:\\a.txt"});
    DWORD effect = DROPEFFECT_COPY;
    EXPECT_EQ(silent->Drop(&files, 0, {0, 0}, &effect), S_OK);
    EXPECT_EQ(effect, static_cast<DWORD>(DROPEFFECT_NONE));
}

TEST(FileDropTarget, ACallbackThatThrowsDoesNotEscapeIntoOle) {
    TargetRef target(new FileDropTarget([](Paths, POINT, DWORD) { throw std::runtime_error("receiver failed"); }));
    TestDataObject files = TestDataObject::Files({L"C:\\a.txt"});
    DWORD effect = DROPEFFECT_COPY;
    EXPECT_TRUE(FAILED(target->Drop(&files, 0, {0, 0}, &effect)));
    EXPECT_EQ(effect, static_cast<DWORD>(DROPEFFECT_NONE));
    EXPECT_EQ(files.released, files.getDataCalls);
}

TEST(FileDropTarget, CountsReferencesAndDestroysTheCallbackWithTheLastOne) {
    auto token = std::make_shared<int>(0);
    std::weak_ptr<int> watch = token;
    auto* target = new FileDropTarget([token](Paths, POINT, DWORD) {});
    token.reset();

    void* unknown = nullptr;
    ASSERT_EQ(target->QueryInterface(IID_IUnknown, &unknown), S_OK);
    EXPECT_EQ(unknown, static_cast<IUnknown*>(target));
    void* dropTarget = nullptr;
    ASSERT_EQ(target->QueryInterface(IID_IDropTarget, &dropTarget), S_OK);
    EXPECT_EQ(dropTarget, static_cast<IDropTarget*>(target));
    void* other = reinterpret_cast<void*>(1);
    EXPECT_EQ(target->QueryInterface(IID_IDataObject, &other), E_NOINTERFACE);
    EXPECT_EQ(other, nullptr);

    EXPECT_EQ(target->AddRef(), 4u);
    EXPECT_EQ(target->Release(), 3u);
    EXPECT_EQ(target->Release(), 2u);
    EXPECT_EQ(target->Release(), 1u);
    EXPECT_FALSE(watch.expired());
    EXPECT_EQ(target->Release(), 0u);
    EXPECT_TRUE(watch.expired());
}

TEST(PathsFromHdrop, DeliversLongNamesWhole) {
    for (size_t length : {300u, 32767u}) {
        std::wstring name = L"C:\\" + std::wstring(length - 3, L'n');
        for (size_t i = 100; i < name.size(); i += 100) name[i] = L'\\';
        ASSERT_EQ(name.size(), length);
        UniqueGlobal drop(GlobalFromBytes(DropFilesBytes({L"C:\\short.txt", name})));
        EXPECT_EQ(PathsFromHdrop(static_cast<HDROP>(drop.get())), (Paths{L"C:\\short.txt", name})) << length;
    }
}

TEST(PathsFromHdrop, ReadsNarrowListsOfOlderSources) {
    UniqueGlobal drop(GlobalFromBytes(AnsiDropFilesBytes({"C:\\old\\one.txt", "C:\\old\\two.txt"})));
    EXPECT_EQ(PathsFromHdrop(static_cast<HDROP>(drop.get())), (Paths{L"C:\\old\\one.txt", L"C:\\old\\two.txt"}));
}

// A list from another process is not trusted to stay inside its own block.
TEST(PathsFromHdrop, RejectsMalformedLists) {
    DROPFILES header{};
    header.fWide = TRUE;
    const std::string head(reinterpret_cast<const char*>(&header), sizeof header);
    std::string offsetPastEnd = DropFilesBytes({L"C:\\a.txt"});
    reinterpret_cast<DROPFILES*>(offsetPastEnd.data())->pFiles = 4096;
    std::string unterminated = DropFilesBytes({L"C:\\a.txt"});
    unterminated.resize(unterminated.size() - 4);  // drops the last name's NUL and the list's

    const struct {
        const char* what;
        std::string bytes;
    } cases[] = {
        {"shorter than its header", head.substr(0, 8)},
        {"names offset past the end", offsetPastEnd},
        {"no terminator", unterminated},
    };
    for (const auto& c : cases) {
        UniqueGlobal drop(GlobalFromBytes(c.bytes));
        EXPECT_TRUE(PathsFromHdrop(static_cast<HDROP>(drop.get())).empty()) << c.what;
        TestDataObject data(CF_HDROP, c.bytes);
        EXPECT_TRUE(GetDroppedPaths(&data).empty()) << c.what;
        EXPECT_EQ(data.released, data.getDataCalls) << c.what;
    }
    EXPECT_TRUE(PathsFromHdrop(nullptr).empty());
}

struct PidlFreer {
    void operator()(ITEMIDLIST* pidl) const { CoTaskMemFree(pidl); }
};
using UniquePidl = std::unique_ptr<ITEMIDLIST, PidlFreer>;

TEST(GetDroppedPaths, ReadsTheShellsOwnDataObject) {
    OleSession ole;
    ASSERT_TRUE(ole.ok);
    test::TempDir dir;
    const Paths files = {dir / L"first.txt", dir / L"zweite Datei.pdf", dir / L"folder"};
    test::WriteFile(files[0], "1");
    test::WriteFile(files[1], "2");
    fs::create_directories(files[2]);

    UniquePidl folder(ILCreateFromPathW(dir.Path().c_str()));
    ASSERT_TRUE(folder);
    std::vector<UniquePidl> absolute;
    std::vector<LPCITEMIDLIST> children;
    for (const fs::path& file : files) {
        absolute.emplace_back(ILCreateFromPathW(file.c_str()));
        ASSERT_TRUE(absolute.back()) << file;
        children.push_back(ILFindLastID(absolute.back().get()));
    }
    // The data object Explorer itself hands to a drop target: the folder's UI object.
    Microsoft::WRL::ComPtr<IShellFolder> desktop;
    ASSERT_EQ(SHGetDesktopFolder(&desktop), S_OK);
    Microsoft::WRL::ComPtr<IShellFolder> parent;
    ASSERT_EQ(desktop->BindToObject(folder.get(), nullptr, IID_PPV_ARGS(&parent)), S_OK);
    Microsoft::WRL::ComPtr<IDataObject> data;
    ASSERT_EQ(parent->GetUIObjectOf(nullptr, static_cast<UINT>(children.size()), children.data(), IID_IDataObject,
                                    nullptr, reinterpret_cast<void**>(data.GetAddressOf())),
              S_OK);

    EXPECT_EQ(GetDroppedPaths(data.Get()), files);
    Received received;
    TargetRef target = MakeTarget(received);
    DWORD effect = DROPEFFECT_COPY;  // what the source allows
    EXPECT_EQ(target->DragEnter(data.Get(), 0, {0, 0}, &effect), S_OK);
    EXPECT_EQ(effect, static_cast<DWORD>(DROPEFFECT_COPY));
}

TEST(FileDropTarget, TakesARealOleDropAsCopy) {
    OleSession ole;
    ASSERT_TRUE(ole.ok);
    test::TestWindow window(test::TestWindow::Kind::popup, {100, 100, 300, 300});
    if (!window.Handle()) GTEST_SKIP() << "no display: top-level windows cannot be created";
    test::DesktopLock pointer(L"pointer");
    Received received;
    TargetRef target = MakeTarget(received);
    target->DescribeDrags(window.Handle(), DropZoneDescription);
    ASSERT_EQ(RegisterDragDrop(window.Handle(), target.get()), S_OK);
    ASSERT_TRUE(SetCursorPos(200, 210));
    test::PumpMessages();

    TestDataObject files = TestDataObject::Files({L"C:\\x\\one.txt", L"C:\\x\\two.txt"});
    TestDropSource source({200, 210});
    DWORD effect = DROPEFFECT_NONE;
    const HRESULT hr = DoDragDrop(&files, &source, DROPEFFECT_COPY | DROPEFFECT_MOVE, &effect);
    EXPECT_EQ(RevokeDragDrop(window.Handle()), S_OK);

    EXPECT_EQ(hr, DRAGDROP_S_DROP);
    EXPECT_EQ(effect, static_cast<DWORD>(DROPEFFECT_COPY));
    ASSERT_EQ(received.calls, 1);
    EXPECT_EQ(received.paths, (Paths{L"C:\\x\\one.txt", L"C:\\x\\two.txt"}));
    EXPECT_EQ(received.point.x, 200);
    EXPECT_EQ(received.point.y, 210);
    // The drag said what the drop does, and was given its own words back when it ended.
    ASSERT_FALSE(files.descriptions.empty());
    EXPECT_EQ(files.descriptions.front(), (std::pair<int, std::wstring>{DROPIMAGE_MOVE, L"Route with Kestrane Fileweir"}));
    EXPECT_EQ(files.descriptions.back().first, DROPIMAGE_INVALID);
}

}  // namespace
}  // namespace kw
