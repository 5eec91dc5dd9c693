#include <gtest/gtest.h>

#include <climits>
#include <set>

#include "dailyactivity/DailyActivityConfig.h"
#include "CountingAllocation.h"
#include "TempDir.h"
#include "zor/Log.h"

namespace {

struct ConfigTest : ::testing::Test {
    TempDir dir;
    DailyActivityConfig config;
    zor::LogCapture capture;

    bool Load(const std::string& body) {
        std::string file = dir.Write("Config.xml", "<Config>" + body + "</Config>");
        return config.LoadConfigFile(file);
    }
    // Texts of the lines written without a level.
    std::vector<std::string> Messages() const {
        std::vector<std::string> out;
        for (const auto& r : capture.Records()) {
            EXPECT_FALSE(r.HasLevel()) << r.text;
            out.push_back(r.text);
        }
        return out;
    }
    int Score(int type, int completeNum) const {
        int score = -1;
        config.FindDailyActivity(_DailyActivityKey{type, completeNum}, score);
        return score;
    }
};

TEST_F(ConfigTest, SampleConfigurationLoads) {
    ASSERT_TRUE(config.LoadConfig());  // tests run in the project's root
    EXPECT_TRUE(Messages().empty());
    EXPECT_EQ(config.DailyActivities().size(), 59u);
    for (int type = 0; type <= 22; ++type) EXPECT_GT(Score(type, 1), 0) << type;
    EXPECT_EQ(config.ActivityRewards().size(), 4u);
    EXPECT_EQ(config.GetActivityReward(4).RewardItemList[0], 4294967297LL);
    EXPECT_EQ(config.SignInRewards().size(), 5u);
    EXPECT_EQ(config.GetSignInReward(5).ItemRewardList.size(), 3u);
    EXPECT_EQ(DailyActivityConfig::FileName(), "config\\DailyActivity\\Config.xml");
}

TEST_F(ConfigTest, TypeRange) {
    EXPECT_TRUE(Load("<DailyActivity><A Type='22' CompleteNum='1' RewardScore='5'/></DailyActivity>"));
    EXPECT_EQ(Score(22, 1), 5);
    for (const char* bad : {"Type='23'", "Type='-1'", "", "Type='abc'"}) {
        capture.Clear();
        DailyActivityConfig fresh;
        std::string file = dir.Write("Bad.xml", std::string("<C><DailyActivity><A ") + bad +
                                                    " CompleteNum='1' RewardScore='5'/></DailyActivity></C>");
        EXPECT_FALSE(fresh.LoadConfigFile(file)) << bad;
        EXPECT_EQ(Messages(), std::vector<std::string>{"The value of Type is invalid"});
    }
}

TEST_F(ConfigTest, CompleteNumAndRewardScoreCarryOver) {
    ASSERT_TRUE(Load("<DailyActivity><A Type='1' CompleteNum='3' RewardScore='7'/><A Type='2'/>"
                     "<A Type='2' CompleteNum='5'/></DailyActivity>"
                     "<DailyActivity><A Type='4'/></DailyActivity>"));
    EXPECT_EQ(Score(1, 3), 7);
    EXPECT_EQ(Score(2, 3), 7);
    EXPECT_EQ(Score(2, 5), 7);
    EXPECT_EQ(Score(4, 5), 7);  // holders live for the whole load, across sections
    EXPECT_EQ(config.DailyActivities().size(), 4u);
}

TEST_F(ConfigTest, FirstEntryWithoutHoldersFails) {
    EXPECT_FALSE(Load("<DailyActivity><A Type='1' RewardScore='7'/></DailyActivity>"));
    EXPECT_EQ(Messages(), std::vector<std::string>{"The value of CompleteNum is invalid"});
    DailyActivityConfig other;
    capture.Clear();
    EXPECT_FALSE(other.LoadConfigFile(dir.Write("B.xml", "<C><DailyActivity><A Type='1' CompleteNum='2'/></DailyActivity></C>")));
    EXPECT_EQ(Messages(), std::vector<std::string>{"The value of RewardScore is invalid"});
}

TEST_F(ConfigTest, RepeatedKeyKeepsTheLaterScore) {
    ASSERT_TRUE(Load("<DailyActivity><A Type='1' CompleteNum='3' RewardScore='7'/>"
                     "<A Type='1' CompleteNum='4' RewardScore='8'/><A Type='1' CompleteNum='3' RewardScore='9'/>"
                     "</DailyActivity>"));
    EXPECT_EQ(Score(1, 3), 9);
    EXPECT_EQ(Score(1, 4), 8);
    int untouched = 42;
    EXPECT_FALSE(config.FindDailyActivity(_DailyActivityKey{1, 5}, untouched));
    EXPECT_EQ(untouched, 42);
}

TEST_F(ConfigTest, NumbersReadLikePercentD) {
    ASSERT_TRUE(Load("<DailyActivity><A Type=' 3x' CompleteNum='12abc' RewardScore='99999999999'/></DailyActivity>"));
    EXPECT_EQ(Score(3, 12), INT_MAX);  // out of range saturates
}

TEST_F(ConfigTest, ActivityRewardItemLists) {
    ASSERT_TRUE(Load("<ActivityReward>"
                     "<T Index='1' ActivityValue='10' RewardMoney='5' RewardBindMoney='6' RewardItemTemplateID='1001,1002,1003' RewardItemNum='2'/>"
                     "<T Index='2' ActivityValue='20' RewardItemTemplateID='1001, 1002'/>"
                     "<T Index='3' ActivityValue='30' RewardItemTemplateID='9876543210'/>"
                     "</ActivityReward>"));
    const _ActivityReward& one = config.GetActivityReward(1);
    ASSERT_EQ(one.RewardItemList.size(), 3u);
    EXPECT_EQ(one.RewardItemList[2], 1003);
    EXPECT_EQ(one.RewardMoney, 5);
    EXPECT_EQ(one.RewardBindMoney, 6);
    EXPECT_EQ(one.RewardItemNum, 2);
    const _ActivityReward& two = config.GetActivityReward(2);
    ASSERT_EQ(two.RewardItemList.size(), 2u);
    EXPECT_EQ(two.RewardItemList[1], 1002);
    EXPECT_EQ(config.GetActivityReward(3).RewardItemList[0], 9876543210LL);
}

TEST_F(ConfigTest, EmptyItemListDropsTheEntryWithAWarning) {
    ASSERT_TRUE(Load("<ActivityReward><T Index='1' ActivityValue='10' RewardItemTemplateID=''/>"
                     "<T Index='2' ActivityValue='10'/>"
                     "<T Index='3' ActivityValue='10' RewardItemTemplateID=',,'/>"
                     "<T Index='4' ActivityValue='10' RewardItemTemplateID='5'/></ActivityReward>"));
    EXPECT_EQ(Messages(), std::vector<std::string>(3, "Warning:The RewardItemList's size is 0"));
    for (int index : {1, 2, 3}) {
        EXPECT_FALSE(config.HasActivityReward(index));
        EXPECT_EQ(&config.GetActivityReward(index), &DailyActivityConfig::EmptyActivityReward());
    }
    EXPECT_TRUE(config.HasActivityReward(4));
}

TEST_F(ConfigTest, LaterOfTwoEqualIndexesWins) {
    ASSERT_TRUE(Load("<ActivityReward><T Index='1' ActivityValue='10' RewardItemTemplateID='1'/>"
                     "<T Index='1' ActivityValue='20' RewardItemTemplateID='2'/></ActivityReward>"
                     "<SignInReward><R Index='1' SignInNum='3'/><R Index='1' SignInNum='4'/></SignInReward>"));
    EXPECT_EQ(config.GetActivityReward(1).ActivityValue, 20);
    EXPECT_EQ(config.GetSignInReward(1).SignInNum, 4);
}

TEST_F(ConfigTest, ActivityRewardChecks) {
    EXPECT_FALSE(Load("<ActivityReward><T ActivityValue='10' RewardItemTemplateID='1'/></ActivityReward>"));
    EXPECT_FALSE(Load("<ActivityReward><T Index='1' ActivityValue='0' RewardItemTemplateID='1'/></ActivityReward>"));
    EXPECT_EQ(Messages(), (std::vector<std::string>{"The value of Index is invalid", "The value of ActivityValue is invalid"}));
}

TEST_F(ConfigTest, SignInItemChecks) {
    ASSERT_TRUE(Load("<SignInReward><R Index='1' SignInNum='2'>"
                     "<I RewardType='3' RewardValue='0' RewardItemTemplateID='-5' RewardItemNum='5'/>"
                     "<I RewardValue='4'/>"
                     "<I RewardType='7'/>"
                     "text<!-- comment -->"
                     "</R><R Index='2' SignInNum='1'/></SignInReward>"));
    const _SignInReward& r = config.GetSignInReward(1);
    ASSERT_EQ(r.ItemRewardList.size(), 3u);
    EXPECT_EQ(r.ItemRewardList[0].RewardItemTemplateID, -5);
    EXPECT_EQ(r.ItemRewardList[0].RewardItemNum, 5);
    EXPECT_EQ(r.ItemRewardList[1].RewardType, -1);
    EXPECT_EQ(r.ItemRewardList[1].RewardValue, 4);
    const _SignInItemReward& seven = r.ItemRewardList[2];
    EXPECT_EQ(seven.RewardType, 7);
    EXPECT_EQ(seven.RewardValue, 0);
    EXPECT_EQ(seven.RewardItemTemplateID, 0);
    EXPECT_EQ(seven.RewardItemNum, 0);
    EXPECT_TRUE(config.HasSignInReward(2));
    EXPECT_TRUE(config.GetSignInReward(2).ItemRewardList.empty());
    EXPECT_TRUE(Messages().empty());

    // Every amount kind (and the kind of a missing attribute) needs an amount above 0; an item
    // kind needs a count above 0; kinds above 3 pass both checks.
    for (const char* good : {"<I RewardType='1' RewardValue='1'/>", "<I RewardType='2' RewardValue='1'/>",
                             "<I RewardType='3' RewardItemNum='1'/>", "<I RewardType='4'/>"}) {
        capture.Clear();
        EXPECT_TRUE(Load(std::string("<SignInReward><R Index='8' SignInNum='1'>") + good + "</R></SignInReward>")) << good;
    }
    for (const char* bad : {"<I RewardType='0' RewardValue='0'/>", "<I RewardType='1' RewardValue='0'/>",
                            "<I RewardType='2' RewardValue='0'/>", "<I RewardType='2' RewardValue='-1'/>",
                            "<I RewardType='-7' RewardValue='0'/>", "<I RewardValue='0'/>", "<I/>"}) {
        capture.Clear();
        EXPECT_FALSE(Load(std::string("<SignInReward><R Index='9' SignInNum='1'>") + bad + "</R></SignInReward>"));
        EXPECT_EQ(Messages(), std::vector<std::string>{"The SignInReward value Must be > 0"}) << bad;
    }
    capture.Clear();
    EXPECT_FALSE(Load("<SignInReward><R Index='9' SignInNum='1'><I RewardType='3' RewardItemTemplateID='1'/></R></SignInReward>"));
    EXPECT_EQ(Messages(), std::vector<std::string>{"The SignInReward Item Num Must be > 0"});
    capture.Clear();
    EXPECT_FALSE(Load("<SignInReward><R Index='9'/></SignInReward>"));
    EXPECT_FALSE(Load("<SignInReward><R Index='0' SignInNum='1'/></SignInReward>"));
    EXPECT_EQ(Messages(), (std::vector<std::string>{"The value of SignInNum is invalid", "The value of Index is invalid"}));
    EXPECT_FALSE(config.HasSignInReward(9));
}

TEST_F(ConfigTest, UnknownAndLowerCaseSectionsAreSkipped) {
    ASSERT_TRUE(Load("<dailyactivity><A Type='99'/></dailyactivity><Other/>text"));
    EXPECT_TRUE(config.DailyActivities().empty());
    EXPECT_TRUE(Messages().empty());
}

TEST_F(ConfigTest, EmptyRootAndEmptyTables) {
    EXPECT_FALSE(config.HasActivityReward(1));
    EXPECT_EQ(&config.GetSignInReward(1), &DailyActivityConfig::EmptySignInReward());
    EXPECT_EQ(config.GetSignInReward(1).SignInNum, 0);
    EXPECT_TRUE(config.GetSignInReward(1).ItemRewardList.empty());
    EXPECT_TRUE(Load(""));
    EXPECT_TRUE(Messages().empty());
}

// Texts the parser gives up on without an error, or that hold no root element: each is a
// failed load with its line, never an empty configuration.
TEST_F(ConfigTest, BrokenOrRootlessDocumentsFailTheLoad) {
    const std::string rows = "<C><DailyActivity><A Type='99'/></DailyActivity></C>";
    const std::vector<std::string> bodies = {
        "<?xml version='1.0'?><!DOCTYPE C [ <!ELEMENT C ANY> ]>" + rows,
        "<?xml version='1.0'?>]" + rows,
        "<?xml version='1.0'?><",
        "</a>",
        "<",
        "<!--" + rows,
        "<?xml version='1.0'?><!-- nothing -->",
    };
    for (size_t i = 0; i < bodies.size(); ++i) {
        capture.Clear();
        const std::string file = dir.Write("broken" + std::to_string(i) + ".xml", bodies[i]);
        EXPECT_FALSE(config.LoadConfigFile(file)) << bodies[i];
        EXPECT_EQ(Messages(), std::vector<std::string>{file + " load fail!"}) << bodies[i];
        std::vector<DailyActivityConfig::Problem> problems;
        EXPECT_FALSE(config.LoadConfigFile(file, &problems));
        ASSERT_EQ(problems.size(), 1u);
        EXPECT_GT(problems[0].row, 0) << problems[0].message;
    }
    EXPECT_TRUE(config.DailyActivities().empty());
}

// Keys of any Type hash without undefined behaviour (the sanitizer build checks), and apart.
TEST(DailyActivityKey, HashesEveryTypeApart) {
    _DailyActivityKeyHash hash;
    std::set<size_t> seen;
    for (int type : {INT_MIN, -1, 0, 1, 22, INT_MAX}) {
        for (int count : {INT_MIN, -1, 0, 1, INT_MAX}) seen.insert(hash(_DailyActivityKey{type, count}));
    }
    EXPECT_EQ(seen.size(), 30u);
}

TEST_F(ConfigTest, FailureHalfWayKeepsWhatWasStored) {
    EXPECT_FALSE(Load("<ActivityReward><T Index='1' ActivityValue='10' RewardItemTemplateID='1'/></ActivityReward>"
                      "<DailyActivity><A Type='1' CompleteNum='1' RewardScore='2'/><A Type='30'/>"
                      "<A Type='2' CompleteNum='1' RewardScore='2'/></DailyActivity>"
                      "<SignInReward><R Index='1' SignInNum='1'/></SignInReward>"));
    EXPECT_TRUE(config.HasActivityReward(1));
    EXPECT_EQ(Score(1, 1), 2);
    EXPECT_EQ(Score(2, 1), -1);
    EXPECT_FALSE(config.HasSignInReward(1));
}

TEST_F(ConfigTest, UnreadableFileIsReported) {
    EXPECT_FALSE(config.LoadConfigFile(dir.Path("missing.xml")));
    EXPECT_FALSE(config.LoadConfigFile(dir.Write("broken.xml", "<Config><DailyActivity></Config>")));
    EXPECT_EQ(Messages(), (std::vector<std::string>{dir.Path("missing.xml") + " load fail!",
                                                    dir.Path("broken.xml") + " load fail!"}));
}

TEST_F(ConfigTest, CollectingModeReportsEveryProblemWithItsPlace) {
    std::string file = dir.Write("Config.xml",
                                 "<Config>\n"
                                 "  <DailyActivity>\n"
                                 "    <A Type='40' CompleteNum='1' RewardScore='1'/>\n"
                                 "    <A Type='2' CompleteNum='1' RewardScore='1'/>\n"
                                 "  </DailyActivity>\n"
                                 "  <ActivityReward><T Index='1' ActivityValue='5'/></ActivityReward>\n"
                                 "  <SignInReward><R Index='1' SignInNum='1'><I RewardType='0'/></R></SignInReward>\n"
                                 "</Config>\n");
    std::vector<DailyActivityConfig::Problem> problems;
    EXPECT_FALSE(config.LoadConfigFile(file, &problems));
    ASSERT_EQ(problems.size(), 3u);
    EXPECT_EQ(problems[0].message, "The value of Type is invalid");
    EXPECT_EQ(problems[0].row, 3);
    EXPECT_EQ(problems[0].column, 5);
    EXPECT_EQ(problems[1].message, "Warning:The RewardItemList's size is 0");
    EXPECT_EQ(problems[1].row, 6);
    EXPECT_EQ(problems[2].message, "The SignInReward value Must be > 0");
    EXPECT_EQ(problems[2].row, 7);
    EXPECT_EQ(Score(2, 1), 1);  // the load went on
    EXPECT_FALSE(config.HasSignInReward(1));
}

// The checker's advice on a reward kind the game does not know, on both sides of 0..3; the
// attribute's absence reads as -1, a kind of its own.
TEST_F(ConfigTest, UnknownRewardKindsAreAdvisedOn) {
    for (const std::string kind : {"RewardType='-1' ", "", "RewardType='4' ", "RewardType='-2147483648' "}) {
        std::vector<DailyActivityConfig::Problem> problems;
        EXPECT_TRUE(config.LoadConfigFile(dir.Write("K.xml", "<C><SignInReward><R Index='1' SignInNum='1'><I " + kind +
                                                                  "RewardValue='3' RewardItemNum='1'/></R></SignInReward></C>"),
                                          &problems));
        ASSERT_EQ(problems.size(), 1u) << kind;
        EXPECT_EQ(problems[0].message.rfind("Warning:RewardType ", 0), 0u) << problems[0].message;
    }
    for (const std::string kind : {"0", "3"}) {
        std::vector<DailyActivityConfig::Problem> problems;
        EXPECT_TRUE(config.LoadConfigFile(dir.Write("K.xml", "<C><SignInReward><R Index='1' SignInNum='1'><I RewardType='" + kind +
                                                                  "' RewardValue='3' RewardItemNum='1'/></R></SignInReward></C>"),
                                          &problems));
        EXPECT_TRUE(problems.empty()) << kind;
    }
    EXPECT_TRUE(Messages().empty());  // advice is never logged
}

// A file is held once while it loads (a configuration of many small rows: no other block is
// as large as the file).
TEST_F(ConfigTest, TheFileIsHeldOnceWhileItLoads) {
    if (!counting::Available()) GTEST_SKIP() << "allocations are not counted on this platform";
    std::string rows;
    for (int i = 0; i < 40000; ++i) rows += "<A Type='" + std::to_string(i % 23) + "' CompleteNum='" + std::to_string(i + 1) + "' RewardScore='3'/>\n";
    const std::string file = dir.Write("Config.xml", "<Config><DailyActivity>\n" + rows + "</DailyActivity></Config>");
    const size_t size = TempDir::Read(file).size();
    counting::Reset(size);
    ASSERT_TRUE(config.LoadConfigFile(file));
    EXPECT_EQ(counting::PeakBigBlocks(), 1);
}

// A huge item list is read piece by piece: the memory it takes stays a few times the file.
TEST_F(ConfigTest, HugeItemListsAreReadPieceByPiece) {
    if (!counting::Available()) GTEST_SKIP() << "allocations are not counted on this platform";
    std::string ids;
    ids.reserve(8 << 20);
    while (ids.size() < (8u << 20)) ids += "1234567,";
    const std::string file = dir.Write("Config.xml", "<Config><ActivityReward><T Index='1' ActivityValue='1' RewardItemTemplateID='" + ids + "'/></ActivityReward></Config>");
    const size_t size = TempDir::Read(file).size();
    counting::Reset(size);
    ASSERT_TRUE(config.LoadConfigFile(file));
    EXPECT_EQ(config.GetActivityReward(1).RewardItemList.size(), ids.size() / 8);
    EXPECT_LT(counting::PeakGrowth(), 6 * size) << "peak " << counting::PeakGrowth() << " for a file of " << size;
}

}  // namespace
