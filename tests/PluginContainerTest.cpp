#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "plugin/IPluginContainer.h"

namespace {

GUID MakeId(uint32_t n) { return GUID{n, 0x1111, 0x2222, {1, 2, 3, 4, 5, 6, 7, 8}}; }

class ITestFace : public IPluginContainer {};

class Probe : public ITestFace {
public:
    Probe(const char* name, uint32_t id, uint16_t order, std::vector<std::string>* journal)
        : id_(MakeId(id)), order_(order), journal_(journal) {
        SetContainerName(name);
    }
    const std::type_info& GetInterfaceType() const override { return typeid(ITestFace); }
    void EntityHook() override {}
    const GUID& GetContainerID() const override { return id_; }
    uint16_t GetStartOrder() const override { return order_; }

    bool OnPrepareStart() override { return Hook("PrepareStart", failPrepare); }
    bool OnStart() override { return Hook("Start", failStart); }
    void OnPrepareShutdown() override { Hook("PrepareShutdown", false); }
    void OnShutdown() override { Hook("Shutdown", false); }
    void OnSiblingRegistered(IPluginContainer* s) override { Note("+", s); }
    void OnSiblingUnregistered(IPluginContainer* s) override { Note("-", s); }

    bool failPrepare = false;
    bool failStart = false;
    std::function<void()> onPrepare;

private:
    bool Hook(const char* what, bool fail) {
        journal_->push_back(GetContainerName() + "." + what);
        if (onPrepare && std::string(what) == "PrepareStart") onPrepare();
        return !fail;
    }
    void Note(const char* sign, IPluginContainer* s) {
        journal_->push_back(GetContainerName() + sign + s->GetContainerName());
    }
    GUID id_;
    uint16_t order_;
    std::vector<std::string>* journal_;
};

std::vector<std::string> LevelTexts(const zor::LogCapture& c, int level) {
    std::vector<std::string> out;
    for (const auto& r : c.Records()) {
        if (r.kind == zor::LogKind::Level && r.level == level) out.push_back(r.text);
    }
    return out;
}

struct Tree : ::testing::Test {
    std::vector<std::string> journal;
    Probe root{"R", 1, 0, &journal};
    Probe a{"A", 2, 1, &journal};
    Probe b{"B", 3, 2, &journal};
};

TEST_F(Tree, HooksRunParentFirstAndChildrenReversedOnShutdown) {
    ASSERT_TRUE(root.RegisterChildContainer(&b));
    ASSERT_TRUE(root.RegisterChildContainer(&a));
    journal.clear();
    ASSERT_TRUE(root.StartContainer());
    ASSERT_TRUE(root.ShutdownContainer());
    std::vector<std::string> expected = {
        "R.PrepareStart", "A.PrepareStart", "B.PrepareStart", "R.Start", "A.Start", "B.Start",
        "R.PrepareShutdown", "B.PrepareShutdown", "A.PrepareShutdown", "R.Shutdown", "B.Shutdown", "A.Shutdown"};
    EXPECT_EQ(journal, expected);
}

TEST_F(Tree, StartAndShutdownWriteTheirLifecycleLines) {
    root.RegisterChildContainer(&a);
    zor::LogCapture capture;
    ASSERT_TRUE(root.StartContainer());
    ASSERT_TRUE(root.ShutdownContainer());
    const std::string iface = platform::TypeName(typeid(ITestFace));
    std::vector<std::string> expected = {
        "start call R::StartContainer()",
        "start R " + iface + " :: DoPrepareParentStart()",
        "start A " + iface + " :: DoPrepareParentStart()",
        "A " + iface + " :: DoPrepareParentStart() ok",
        "R " + iface + " :: DoPrepareParentStart() ok",
        "start R " + iface + " :: DoParentStart()",
        "start A " + iface + " :: DoParentStart()",
        "A " + iface + " :: DoParentStart() ok",
        "R " + iface + " :: DoParentStart() ok",
        "call R::StartContainer() ok",
        "start call R::ShutdownContainer()",
        "start R " + iface + " :: DoPrepareParentShutdown()",
        "start A " + iface + " :: DoPrepareParentShutdown()",
        "A " + iface + " :: DoPrepareParentShutdown() ok",
        "R " + iface + " :: DoPrepareParentShutdown() ok",
        "start R " + iface + " :: DoParentShutdown()",
        "start A " + iface + " :: DoParentShutdown()",
        "A " + iface + " :: DoParentShutdown() ok",
        "R " + iface + " :: DoParentShutdown() ok",
        "call R::ShutdownContainer() ok"};
    EXPECT_EQ(LevelTexts(capture, 2), expected);
    EXPECT_EQ(capture.Records().size(), expected.size());
}

TEST_F(Tree, EqualStartOrdersKeepRegistrationOrder) {
    Probe c{"C", 4, 1, &journal};
    root.RegisterChildContainer(&b);
    root.RegisterChildContainer(&a);
    root.RegisterChildContainer(&c);  // same order as A: behind it
    journal.clear();
    root.StartContainer();
    root.ShutdownContainer();
    std::vector<std::string> expected = {"R.PrepareStart", "A.PrepareStart", "C.PrepareStart", "B.PrepareStart",
                                         "R.Start", "A.Start", "C.Start", "B.Start",
                                         "R.PrepareShutdown", "B.PrepareShutdown", "C.PrepareShutdown",
                                         "A.PrepareShutdown", "R.Shutdown", "B.Shutdown", "C.Shutdown", "A.Shutdown"};
    EXPECT_EQ(journal, expected);
}

TEST_F(Tree, FailingHookStopsThePhaseAndShutdownStillVisitsEveryone) {
    root.RegisterChildContainer(&a);
    root.RegisterChildContainer(&b);
    a.failPrepare = true;
    journal.clear();
    zor::LogCapture capture;
    EXPECT_FALSE(root.StartContainer());
    EXPECT_EQ(journal, (std::vector<std::string>{"R.PrepareStart", "A.PrepareStart"}));
    EXPECT_TRUE(root.IsContainerActive());
    EXPECT_FALSE(root.IsContainerPrepared());
    for (const auto& line : LevelTexts(capture, 2)) EXPECT_EQ(line.find(":: DoPrepareParentStart() ok"), std::string::npos) << line;
    EXPECT_TRUE(LevelTexts(capture, 3).empty());
    journal.clear();
    EXPECT_TRUE(root.ShutdownContainer());
    EXPECT_EQ(journal.size(), 6u);
    EXPECT_FALSE(root.IsContainerActive());
}

TEST_F(Tree, FailingStartHookLeavesTheTreePreparedAndActive) {
    root.RegisterChildContainer(&a);
    a.failStart = true;
    EXPECT_FALSE(root.StartContainer());
    EXPECT_TRUE(root.IsContainerPrepared());
    EXPECT_TRUE(root.IsContainerActive());
    EXPECT_TRUE(root.ShutdownContainer());
}

TEST_F(Tree, ChildRegisteredDuringAPhaseJoinsOnlyLaterPhases) {
    Probe late{"L", 9, 0, &journal};
    root.RegisterChildContainer(&a);
    a.onPrepare = [&] { root.RegisterChildContainer(&late); };
    journal.clear();
    ASSERT_TRUE(root.StartContainer());
    std::vector<std::string> expected = {"R.PrepareStart", "A.PrepareStart", "A+L", "R.Start", "L.Start", "A.Start"};
    EXPECT_EQ(journal, expected);
    root.ShutdownContainer();
}

TEST_F(Tree, OwnHookMayRegisterChildrenThatThenTakePart) {
    root.onPrepare = [&] { root.RegisterChildContainer(&a); };
    journal.clear();
    ASSERT_TRUE(root.StartContainer());
    EXPECT_EQ(journal[1], "A.PrepareStart");
    root.ShutdownContainer();
}

TEST_F(Tree, SecondStartIsRefusedWithoutHooks) {
    root.RegisterChildContainer(&a);
    ASSERT_TRUE(root.StartContainer());
    journal.clear();
    zor::LogCapture capture;
    EXPECT_FALSE(root.StartContainer());
    EXPECT_FALSE(a.StartContainer());  // child of a running tree
    EXPECT_TRUE(journal.empty());
    EXPECT_EQ(LevelTexts(capture, 2), (std::vector<std::string>{"start call R::StartContainer()", "start call A::StartContainer()"}));
    root.ShutdownContainer();
}

TEST_F(Tree, ShutdownOfAStoppedTreeWritesNothing) {
    zor::LogCapture capture;
    EXPECT_FALSE(root.ShutdownContainer());
    EXPECT_TRUE(capture.Records().empty());
}

TEST_F(Tree, StateQuestionsAreAnsweredByTheRoot) {
    root.RegisterChildContainer(&a);
    a.RegisterChildContainer(&b);
    EXPECT_FALSE(b.IsContainerActive());
    root.StartContainer();
    EXPECT_TRUE(b.IsContainerActive());
    EXPECT_TRUE(b.IsContainerPrepared());
    EXPECT_TRUE(b.IsContainerReady());
    root.ShutdownContainer();
    EXPECT_FALSE(b.IsContainerActive());
    EXPECT_FALSE(b.IsContainerPrepared());
}

TEST_F(Tree, RegistrationErrorsAreLoggedWithTheCallStack) {
    zor::LogCapture capture;
    EXPECT_FALSE(root.RegisterChildContainer(nullptr));
    ASSERT_TRUE(root.RegisterChildContainer(&a));
    EXPECT_FALSE(root.RegisterChildContainer(&a));  // parent check comes before the id check
    Probe twin{"T", 2, 5, &journal};
    EXPECT_FALSE(root.RegisterChildContainer(&twin));
    const auto& r = capture.Records();
    ASSERT_EQ(r.size(), 6u);
    const std::string iface = platform::TypeName(typeid(ITestFace));
    EXPECT_EQ(r[0].text, "IPluginContainer::RegisterChildContainer() error : cpc==NULL");
    EXPECT_EQ(r[2].text, "IPluginContainer::RegisterChildContainer() error : cpc(" + iface +
                             ") already registed to type=" + iface);
    EXPECT_EQ(r[4].text, "IPluginContainer::RegisterChildContainer() error : same plugin(" + iface + ") as cpc(" +
                             iface + ") already registed to type=" + iface);
    for (size_t i : {0u, 2u, 4u}) {
        EXPECT_EQ(r[i].level, 3);
        EXPECT_EQ(r[i + 1].kind, zor::LogKind::CallStack);
    }
    EXPECT_EQ(twin.GetParentContainer(), nullptr);
    EXPECT_EQ(root.Children().size(), 1u);
}

TEST_F(Tree, SiblingsHearOfRegistrationAndUnregistration) {
    root.RegisterChildContainer(&a);
    root.RegisterChildContainer(&b);
    Probe c{"C", 4, 0, &journal};
    root.RegisterChildContainer(&c);
    EXPECT_TRUE(root.UnregisterChildContainer(&a));
    std::vector<std::string> expected = {"A+B", "A+C", "B+C", "C-A", "B-A"};
    EXPECT_EQ(journal, expected);
    EXPECT_EQ(a.GetParentContainer(), nullptr);
    EXPECT_EQ(root.FindChildContainer(MakeId(2)), nullptr);
}

TEST_F(Tree, UnregistrationRefusesStrangersSilently) {
    Probe twin{"T", 2, 5, &journal};
    root.RegisterChildContainer(&a);
    a.RegisterChildContainer(&b);
    zor::LogCapture capture;
    EXPECT_FALSE(root.UnregisterChildContainer(nullptr));
    EXPECT_FALSE(root.UnregisterChildContainer(&b));     // someone else's child
    EXPECT_FALSE(root.UnregisterChildContainer(&twin));  // no parent
    EXPECT_TRUE(capture.Records().empty());
    EXPECT_EQ(root.FindChildContainer(MakeId(2)), &a);
}

TEST_F(Tree, TypedLookups) {
    root.RegisterChildContainer(&a);
    root.RegisterChildContainer(&b);
    Probe* found = nullptr;
    EXPECT_TRUE(root.QueryChildContainer(found, MakeId(3), true));
    EXPECT_EQ(found, &b);
    EXPECT_TRUE(a.QuerySiblingContainer(found, MakeId(2), false));
    EXPECT_EQ(found, &a);
    Probe* untouched = &b;
    EXPECT_FALSE(root.QueryChildContainer(untouched, MakeId(99), false));
    EXPECT_EQ(untouched, &b);
    EXPECT_FALSE(a.QuerySiblingContainer(untouched, MakeId(99), false));
    EXPECT_EQ(untouched, &b);
}

TEST_F(Tree, FailedTypedLookupsThrowTheGbkMessage) {
    root.RegisterChildContainer(&a);
    Probe* out = nullptr;
    const std::string fail = "\xCA\xA7\xB0\xDC";
    const std::string probe = platform::TypeName(typeid(Probe));
    const std::string iface = platform::TypeName(typeid(ITestFace));
    try {
        root.QueryChildContainer(out, MakeId(99), true);
        FAIL();
    } catch (const zor::String& text) {
        EXPECT_EQ(text, "[" + iface + "]QueryChildContainer()[" + probe + "]" + fail);
    }
    try {
        a.QuerySiblingContainer(out, MakeId(99), true);
        FAIL();
    } catch (const std::string& text) {
        EXPECT_EQ(text, "[" + iface + "]:[" + iface + "]QuerySiblingContainer()[" + probe + "]" + fail);
    }
    try {
        b.QuerySiblingContainer(out, MakeId(2), true);  // no parent
        FAIL();
    } catch (const zor::String& text) {
        EXPECT_EQ(text, "[" + iface + "]:[]QuerySiblingContainer()[" + probe + "]" + fail);
    }
    EXPECT_EQ(out, nullptr);
}

}  // namespace
