#include "engine/routesrchinterface.h"
#include "engine/warnings.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <atomic>
#include <cctype>
#include <cerrno>
#include <chrono>
#include <fstream>
#include <functional>
#include <random>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "engine/readfailure.h"
#include "engine/resultfile.h"
#include "engine/searchrun.h"
#include "network_fixture.h"
#include "platform/codepage.h"
#include "platform/iofault.h"
#include "tests/support/temp_dir.h"

namespace {

class RecordingProgress final : public ProgressDisplay {
public:
    void Begin() override { calls += "begin "; }
    void SetPosition(int percent) override { calls += std::to_string(percent) + " "; }
    void ProcessEvents() override { calls += ". "; }
    void End() override { calls += "end "; }
    std::string calls;
};

std::string Texts(const tqList<tqString>& list) {
    std::string out;
    for (int i = 0; i < list.Count(); ++i) {
        out += codepage::Cp932ToUtf8(list.Get(i)->GetText()) + "\n";
    }
    return out;
}

class EngineTest : public testing::Test {
protected:
    void SetUp() override { RSIF::CreateEngine(); }
    void TearDown() override {
        RSIF::SetProgressDisplay(nullptr);
        RSIF::DestroyEngine();
    }

    std::string File(const std::string& name, const std::string& utf8) {
        return dir.Write(name, codepage::Utf8ToCp932(utf8));
    }
    void LoadMap(const std::string& rows, int threads = 2) {
        const std::string path =
            File("map.csv", "M_始点ノード名,M_終点ノード名,M_ノード間距離\n" + rows);
        ASSERT_EQ(RSIF::LoadMap({path, {}}, threads).code, RSIF::rrRead);
        RSIF::GetDRFList().Clear();
    }
    int ReadInstructions(const std::string& text, tqList<tqString>& warnings) {
        int code = RSIF::ReadDRFFile(File("drf.csv", text));
        if (code == RSIF::rrRead) {
            EXPECT_TRUE(RSIF::MakeDRFList(warnings));
        }
        return code;
    }

    TempDir dir;
};

TEST_F(EngineTest, SearchDRFStoresTheOutcomeInTheRecord) {
    LoadMap("S,A,1\nA,E,2\nX,Y,1\n");
    tqList<tqString> warnings;
    ASSERT_EQ(ReadInstructions(
                  "D_検索名称,D_始点ノード名,D_終点ノード名\nok,S,E\nno,S,Y\nnext,S,A\n", warnings),
              RSIF::rrRead);
    tqList<RSIF::typDRFInf>& list = RSIF::GetDRFList();
    ASSERT_EQ(list.Count(), 3);
    list.Get(1)->RouteNames.Add("earlier");
    list.Get(1)->Distance = 99;

    EXPECT_FALSE(RSIF::SearchDRF(-1));
    EXPECT_FALSE(RSIF::SearchDRF(3));
    for (int i = 0; i < 3; ++i) {
        EXPECT_TRUE(RSIF::SearchDRF(i));
    }
    EXPECT_FALSE(list.Get(0)->Failed);
    EXPECT_EQ(list.Get(0)->Distance, 3);
    EXPECT_EQ(list.Get(0)->RouteNames.Count(), 3);
    EXPECT_TRUE(list.Get(1)->Failed);
    EXPECT_STREQ(list.Get(1)->RouteNames.Get(0).GetText(), "earlier");  // untouched
    EXPECT_EQ(list.Get(1)->Distance, 99);
    EXPECT_EQ(list.Get(2)->RouteNames.Count(), 2);
    EXPECT_EQ(list.Get(2)->Distance, 1);

    // A second run over the same list gives the same records.
    TSLtabCL first;
    RSIF::FillResultTable(first);
    for (int i = 0; i < 3; ++i) {
        RSIF::SearchDRF(i);
    }
    TSLtabCL second;
    RSIF::FillResultTable(second);
    ASSERT_EQ(first.GetRowCount(), second.GetRowCount());
    for (uint32_t row = 1; row <= first.GetRowCount(); ++row) {
        for (uint32_t col = 1; col <= first.GetColCount(); ++col) {
            std::string a = first.ReadCell(row, col);
            EXPECT_EQ(a, second.ReadCell(row, col));
        }
    }
}

// Every cell of `table` from its titles on, one line per row.
std::string TableTexts(TSLtabCL& table) {
    std::string out;
    for (uint32_t row = 0; row <= table.GetRowCount(); ++row) {
        for (uint32_t col = 1; col <= table.GetColCount(); ++col) {
            out += std::string(row == 0 ? table.GetTitle(col) : table.ReadCell(row, col)) + ",";
        }
        out += "\n";
    }
    return out;
}

// Every cell of the result table of the list's current records, one line per row.
std::string ResultTexts() {
    TSLtabCL table;
    RSIF::FillResultTable(table);
    return TableTexts(table);
}

TEST_F(EngineTest, SearchRunsOnAnyNumberOfThreadsGiveTheRecordsOfSingleSearches) {
    // A 12 x 12 grid with one-way streets and equal lengths, so that routes tie often, and
    // an island that no search reaches.
    std::string rows;
    auto name = [](int x, int y) { return "N" + std::to_string(x) + "_" + std::to_string(y); };
    for (int y = 0; y < 12; ++y) {
        for (int x = 0; x < 12; ++x) {
            if (x + 1 < 12) {
                rows += name(x, y) + "," + name(x + 1, y) + "," + std::to_string(1 + (x * y) % 3) +
                        "\n";
                if (y % 4 != 1) {
                    rows += name(x + 1, y) + "," + name(x, y) + ",2\n";
                }
            }
            if (y + 1 < 12) {
                rows += name(x, y) + "," + name(x, y + 1) + ",2\n";
                rows += name(x, y + 1) + "," + name(x, y) + "," + std::to_string(1 + (x + y) % 2) +
                        "\n";
            }
        }
    }
    LoadMap(rows + "I1,I2,1\n");
    std::string instructions = "D_検索名称,D_始点ノード名,D_終点ノード名\n";
    // Every third instruction starts at one depot: those share one search.
    auto start = [&](int i) { return i % 3 == 0 ? name(5, 5) : name(i % 12, (i * 7) % 12); };
    for (int i = 0; i < 60; ++i) {
        instructions += "s" + std::to_string(i) + "," + start(i) + "," +
                        (i % 10 == 9 ? std::string("I1") : name((i * 5) % 12, (i * 11 + 3) % 12)) +
                        "\n";
    }
    tqList<tqString> warnings;
    ASSERT_EQ(ReadInstructions(instructions, warnings), RSIF::rrRead);
    ASSERT_EQ(RSIF::GetDRFList().Count(), 60);
    for (int i = 0; i < 60; ++i) {
        RSIF::SearchDRF(i);
    }
    const std::string single = ResultTexts();
    EXPECT_NE(single.find("I1"), std::string::npos);

    for (int threads : {3, 1}) {
        for (int i = 0; i < 60; ++i) {
            RSIF::GetDRFList().Get(i)->RouteNames.Clear();
        }
        int lastReport = -1;
        EXPECT_EQ(RSIF::SearchAllDRF(threads,
                                     [&](int finished) {
                                         EXPECT_GE(finished, lastReport);
                                         lastReport = finished;
                                         return true;
                                     }),
                  60);
        EXPECT_EQ(lastReport, 60);
        EXPECT_EQ(ResultTexts(), single) << threads << " threads";
    }
    // A report that answers false starts no further search; the searches done are the first
    // ones of the list, on any number of threads, and beyond them only searches that shared
    // their start with one of them.
    EXPECT_EQ(RSIF::SearchAllDRF(1, [](int) { return false; }), 1);
    constexpr int64_t kUntouched = -7;
    for (int round = 0; round < 20; ++round) {
        for (int i = 0; i < 60; ++i) {
            RSIF::GetDRFList().Get(i)->Failed = false;
            RSIF::GetDRFList().Get(i)->Distance = kUntouched;
        }
        const int searched = RSIF::SearchAllDRF(3, [](int finished) { return finished == 0; });
        ASSERT_GE(searched, 1);
        for (int i = 0; i < 60; ++i) {
            const RSIF::typDRFInf& record = *RSIF::GetDRFList().Get(i);
            const bool touched = record.Failed || record.Distance != kUntouched;
            EXPECT_TRUE(i < searched ? touched : !touched || i % 3 == 0)
                << "record " << i << " of " << searched << " searched";
        }
    }
}

// Rows filled as the searches finish, from the first, are the rows filled once all are done.
TEST_F(EngineTest, RowsFilledAlongTheSearchesAreTheRowsOfTheFinishedList) {
    // A 9 x 9 grid of equal lengths (routes tie) with some one-way streets, and an island.
    std::string rows = "I1,I2,1\n";
    auto name = [](int x, int y) { return "N" + std::to_string(x) + "_" + std::to_string(y); };
    for (int y = 0; y < 9; ++y) {
        for (int x = 0; x + 1 < 9; ++x) {
            rows += name(x, y) + "," + name(x + 1, y) + ",1\n";
            rows += y % 3 == 1 ? "" : name(x + 1, y) + "," + name(x, y) + ",1\n";
            rows += name(y, x) + "," + name(y, x + 1) + ",1\n" + name(y, x + 1) + "," + name(y, x) +
                    ",1\n";
        }
    }
    LoadMap(rows);
    std::string instructions = "D_検索名称,D_始点ノード名,D_終点ノード名\n";
    for (int i = 0; i < 80; ++i) {  // every fourth from one depot, every tenth unreachable
        instructions +=
            "s" + std::to_string(i) + "," + (i % 4 == 0 ? name(4, 4) : name(i % 9, (i * 5) % 9)) +
            "," + (i % 10 == 9 ? std::string("I1") : name((i * 7) % 9, (i * 2 + 1) % 9)) + "\n";
    }
    tqList<tqString> warnings;
    ASSERT_EQ(ReadInstructions(instructions, warnings), RSIF::rrRead);
    using Layout = RSIF::ResultFill::Layout;
    for (const Layout layout : {Layout::routeRows, Layout::nodeRows}) {
        for (const int threads : {1, 3}) {
            for (int i = 0; i < 80; ++i) {  // nothing left from the run before
                RSIF::GetDRFList().Get(i)->RouteNames.Clear();
                RSIF::GetDRFList().Get(i)->Failed = false;
            }
            TSLtabCL along;
            RSIF::ResultFill fill(along, layout);
            std::atomic<bool> inside{false};
            bool overlapped = false;
            int last = 0;
            std::string order;
            const int searched = RSIF::SearchAllDRF(
                threads, [](int) { return true; }, {},
                [&](int finished) {
                    overlapped = overlapped || inside.exchange(true);
                    order += finished > last ? ""
                                             : std::to_string(finished) + " after " +
                                                   std::to_string(last) + "; ";
                    last = finished;
                    fill.AddRows(finished);
                    inside = false;
                });
            EXPECT_EQ(searched, 80);
            EXPECT_EQ(last, 80);
            EXPECT_FALSE(overlapped);
            EXPECT_EQ(order, "");
            TSLtabCL whole;
            if (layout == Layout::routeRows) {
                RSIF::FillResultTable(whole);
            } else {
                RSIF::FillNodeRowsTable(whole);
            }
            EXPECT_EQ(TableTexts(along), TableTexts(whole)) << threads << " threads";
        }
    }
    // What the caller's work throws ends the run and reaches the caller.
    for (const int threads : {1, 3}) {
        EXPECT_THROW(
            RSIF::SearchAllDRF(
                threads, [](int) { return true; }, {}, [](int) { throw std::bad_alloc(); }),
            std::bad_alloc);
    }
}

TEST_F(EngineTest, TheResultFileWrittenInPartsIsTheWholeTablesFile) {
    // A one-way chain: routes of every length up to 40 nodes, and backward searches fail.
    std::string rows;
    for (int i = 0; i + 1 < 40; ++i) {
        rows += "N" + std::to_string(i) + ",N" + std::to_string(i + 1) + "," +
                std::to_string(i % 3 + 1) + "\n";
    }
    LoadMap(rows);
    std::string instructions = "D_検索名称,D_始点ノード名,D_終点ノード名\n";
    for (int i = 0; i < 9000; ++i) {  // more than two parts' worth
        instructions += "検索" + std::to_string(i) + ",N" + std::to_string(i % 40) + ",N" +
                        std::to_string((i * 7 + 1) % 40) + "\n";
    }
    tqList<tqString> warnings;
    ASSERT_EQ(ReadInstructions(instructions, warnings), RSIF::rrRead);
    ASSERT_EQ(RSIF::SearchAllDRF(2, [](int) { return true; }), 9000);
    TSLtabCL whole;
    RSIF::FillResultTable(whole);
    for (const auto encoding : {codepage::TextEncoding::cp932, codepage::TextEncoding::utf8Bom}) {
        whole.SetSaveEncoding(encoding);
        ASSERT_TRUE(whole.SaveCsvFile(dir.Path("whole.csv")));
        ASSERT_FALSE(RSIF::SaveResultFile(dir.Path("parts.csv"), encoding));  // no failure
        const std::string expected = TempDir::Read(dir.Path("whole.csv"));
        const std::string written = TempDir::Read(dir.Path("parts.csv"));
        ASSERT_EQ(written.size(), expected.size());
        EXPECT_TRUE(written == expected);  // a diff of megabytes helps nobody
    }
    // A folder that does not exist fails the save, and is named as the reason.
    const FileFailure failure =
        RSIF::SaveResultFile(dir.Path("missing/parts.csv"), codepage::TextEncoding::cp932);
    EXPECT_EQ(FileFailureReason(failure), "フォルダがありません");
}

// On a map whose links all go both ways, one worker measures the last landmarks while the
// others already search with the first ones.
TEST_F(EngineTest, SearchesBesideTheLastLandmarksGiveTheRecordsOfSingleSearches) {
    std::string rows;
    auto name = [](int x, int y) { return "N" + std::to_string(x) + "_" + std::to_string(y); };
    auto join = [&](const std::string& a, const std::string& b, int length) {
        rows += a + "," + b + "," + std::to_string(length) + "\n";
        rows += b + "," + a + "," + std::to_string(length) + "\n";
    };
    for (int y = 0; y < 20; ++y) {
        for (int x = 0; x < 20; ++x) {
            if (x + 1 < 20) {
                join(name(x, y), name(x + 1, y), 1 + (x * y) % 2);
            }
            if (y + 1 < 20) {
                join(name(x, y), name(x, y + 1), 1 + (x + 2 * y) % 2);
            }
        }
    }
    std::string instructions = "D_検索名称,D_始点ノード名,D_終点ノード名\n";
    for (int i = 0; i < 300; ++i) {
        instructions += "s" + std::to_string(i) + "," + name(i % 20, i / 20) + "," +
                        name((i * 7 + 3) % 20, i / 3 % 20) + "\n";
    }
    tqList<tqString> warnings;
    LoadMap(rows);
    ASSERT_EQ(ReadInstructions(instructions, warnings), RSIF::rrRead);
    for (int i = 0; i < 300; ++i) {
        RSIF::SearchDRF(i);
    }
    ASSERT_TRUE(RSIF::GetNodes().Landmarks().Empty());
    const std::string single = ResultTexts();
    for (int run = 0; run < 20; ++run) {
        LoadMap(rows);  // without landmarks
        ASSERT_EQ(ReadInstructions(instructions, warnings), RSIF::rrRead);
        ASSERT_EQ(RSIF::SearchAllDRF(2, [](int) { return true; }), 300);
        ASSERT_EQ(ResultTexts(), single) << "run " << run;
    }
}

// A run of some 20,000 searches climbs a hierarchy: one built before, or one it builds, first on
// one thread, beside the searches on two, where they take it up once it is ready. Either way
// the records are those of single searches without it.
TEST_F(EngineTest, SearchesUpAHierarchyGiveTheRecordsOfSingleSearches) {
    std::string rows = "I1,I2,1\n";
    auto name = [](int x, int y) { return "N" + std::to_string(x) + "_" + std::to_string(y); };
    for (int y = 0; y < 40; ++y) {
        for (int x = 0; x + 1 < 40; ++x) {
            rows +=
                name(x, y) + "," + name(x + 1, y) + "," + std::to_string(1 + (x * y) % 2) + "\n";
            rows += y % 5 == 2 ? "" : name(x + 1, y) + "," + name(x, y) + ",1\n";
            rows += name(y, x) + "," + name(y, x + 1) + ",2\n" + name(y, x + 1) + "," + name(y, x) +
                    "," + std::to_string(1 + (x + y) % 2) + "\n";
        }
    }
    constexpr int kSearches = 20200;
    // Each start a dozen times: too few to share a pass. Every hundredth unreachable.
    std::string instructions = "D_検索名称,D_始点ノード名,D_終点ノード名\n";
    for (int i = 0; i < kSearches; ++i) {
        instructions += "s" + std::to_string(i) + "," + name(i % 40, i / 40 % 40) + "," +
                        (i % 100 == 99 ? std::string("I1") : name(i * 7 % 39, i * 13 % 37)) + "\n";
    }
    tqList<tqString> warnings;
    LoadMap(rows);
    ASSERT_EQ(ReadInstructions(instructions, warnings), RSIF::rrRead);
    const int count = RSIF::GetDRFList().Count();  // less those whose start is their end
    ASSERT_GE(count, 20000);
    for (int i = 0; i < count; ++i) {
        RSIF::SearchDRF(i);
    }
    ASSERT_FALSE(RSIF::GetNodes().Hierarchy().Ready());
    const std::string single = ResultTexts();
    // Stopped while the hierarchy is built, the run searches nothing and keeps none of it.
    int reports = 0;
    EXPECT_EQ(RSIF::SearchAllDRF(1, [&reports](int) { return ++reports < 100; }), 0);
    EXPECT_EQ(reports, 100);
    EXPECT_FALSE(RSIF::GetNodes().Hierarchy().Ready());
    // Runs on a hierarchy built before them, then runs that build one (or give it up when it
    // takes too long, as under a sanitizer it may).
    for (const auto& [threads, built] : {std::pair{1, true}, {2, true}, {1, false}, {2, false}}) {
        LoadMap(rows);
        if (built) {
            RSIF::GetNodes().SortLinks();
            ASSERT_TRUE(RSIF::GetNodes().PrepareHierarchy({}));
        }
        ASSERT_EQ(ReadInstructions(instructions, warnings), RSIF::rrRead);
        ASSERT_EQ(RSIF::SearchAllDRF(threads, [](int) { return true; }), count);
        // The first line that differs: a diff of 20,000 rows would take gigabytes.
        const std::string texts = ResultTexts();
        const auto [differs, expected] =
            std::mismatch(texts.begin(), texts.end(), single.begin(), single.end());
        ASSERT_TRUE(differs == texts.end() && expected == single.end())
            << threads
            << " threads: " << texts.substr(texts.rfind('\n', differs - texts.begin()) + 1, 80)
            << " against " << single.substr(single.rfind('\n', expected - single.begin()) + 1, 80);
    }
}

// Rows enough that the table's scratch file is written and read back, not only its pages.
std::string ManyRows(const std::string& pattern, int count) {
    std::string rows;
    for (int i = 0; i < count; ++i) {
        std::string row = pattern;
        for (size_t at; (at = row.find('#')) != std::string::npos;) {
            row.replace(at, 1, std::to_string(i));
        }
        rows += row + "\n";
    }
    return rows;
}

TEST_F(EngineTest, AScratchFailureFailsTheLoadInsteadOfDroppingRows) {
    // A UTF-8 map is converted through the table, and so through its scratch file.
    const std::string map =
        dir.Write("map.csv", "\xEF\xBB\xBFM_始点ノード名,M_終点ノード名,M_ノード間距離\n" +
                                 ManyRows("A#,B#,1", 5000) + "S,E,1\nbad,,1\n");
    const std::string drf =
        File("drf.csv", "D_検索名称,D_始点ノード名,D_終点ノード名\n" + ManyRows("s#,A#,B#", 5000));
    tqList<tqString> warnings;

    iofault::FailWritesAfter(20000);  // the scratch file stops growing during the read
    EXPECT_EQ(RSIF::LoadMap({map, {}}, 1).code, RSIF::rrScratchFailed);
    iofault::Reset();
    EXPECT_EQ(RSIF::GetNodes().GetCount(), 0);

    // Read into a new scratch file, whose rows then cannot be read back.
    const RSIF::typMapLoad unread = RSIF::LoadMap({map, {}}, 1, [] {
        iofault::Fail(iofault::opRead);
        return true;
    });
    iofault::Reset();
    EXPECT_EQ(unread.code, RSIF::rrScratchFailed);
    EXPECT_EQ(RSIF::GetNodes().GetCount(), 0);
    EXPECT_EQ(Texts(unread.warnings), "");  // no warning of rows that were never read

    ASSERT_EQ(RSIF::LoadMap({map, {}}, 2).code, RSIF::rrRead);
    EXPECT_EQ(RSIF::GetNodes().GetCount(), 10002);
    ASSERT_EQ(RSIF::ReadDRFFile(drf), RSIF::rrRead);
    iofault::Fail(iofault::opRead);
    EXPECT_FALSE(RSIF::MakeDRFList(warnings));
    iofault::Reset();
    EXPECT_EQ(RSIF::GetDRFList().Count(), 0);
    ASSERT_EQ(RSIF::ReadDRFFile(drf), RSIF::rrRead);
    ASSERT_TRUE(RSIF::MakeDRFList(warnings));
    EXPECT_EQ(RSIF::GetDRFList().Count(), 5000);

    iofault::Fail(iofault::opCreate);  // no scratch file can be made at all
    iofault::Fail(iofault::opWrite);
    EXPECT_EQ(RSIF::ReadDRFFile(drf), RSIF::rrScratchFailed);
    EXPECT_EQ(RSIF::LoadMap({map, {}}, 1).code, RSIF::rrScratchFailed);
    iofault::Reset();
}

TEST_F(EngineTest, AMapFileThatFailsAfterItsTitlesFailsTheBuildAndSaysWhy) {
    // A CP932 map's rows are read from the file while the network is built.
    const std::string map = File("map.csv", "M_始点ノード名,M_終点ノード名,M_ノード間距離\n" +
                                                ManyRows("A#,B#,1", 100) + "bad,,1\n");
    for (int threads : {1, 2}) {
        bool building = false;
        RSIF::typMapLoad load = RSIF::LoadMap({map, {}}, threads, [&] {
            iofault::Fail(iofault::opRead);
            return building = true;
        });
        iofault::Reset();
        EXPECT_TRUE(building);
        EXPECT_EQ(load.code, RSIF::rrCannotRead);
        EXPECT_EQ(
            RSIF::ReadFailureMessage(load, "map.csv", RSIF::fkMap),
            "指定されたファイル[map.csv]を読込めません。(ディスクへの読み書きに失敗しました)");
        EXPECT_EQ(RSIF::GetNodes().GetCount(), 0);
        EXPECT_EQ(load.warnings.Count(), 0);
    }
    RSIF::typMapLoad load = RSIF::LoadMap({map, {}}, 2);
    ASSERT_EQ(load.code, RSIF::rrRead);
    EXPECT_EQ(RSIF::GetNodes().GetCount(), 200);
    EXPECT_EQ(Texts(load.warnings), "[0101]行:From及びToのノード名称は空白に出来ません。\n");
}

TEST_F(EngineTest, AFileThatCannotBeReadIsNamedForWhatFailedOnIt) {
    const std::string titles = "M_始点ノード名,M_終点ノード名,M_ノード間距離\n";
    auto message = [](const std::string& path, RSIF::FileKind kind) {
        return RSIF::ReadFailureMessage(RSIF::LoadMap({path, {}}, 1), "f.csv", kind);
    };
    EXPECT_EQ(message(dir.Path("absent.csv"), RSIF::fkMap),
              "指定されたファイル[f.csv]は存在しません。");
    EXPECT_EQ(message(dir.Path("absent/f.csv"), RSIF::fkMap),
              "指定されたファイル[f.csv]は存在しません。");
    EXPECT_EQ(message(dir.Dir(), RSIF::fkMap),
              "指定されたファイル[f.csv]を読込めません。(フォルダです)");
    EXPECT_EQ(message(File("empty.csv", ""), RSIF::fkMap),
              "指定されたファイル[f.csv]を読込めません。(空のファイルです)");
    EXPECT_EQ(message(File("drf.csv", "D_検索名称\n"), RSIF::fkMap),
              "指定されたファイル[f.csv]はＭＡＰファイルのフォーマットと適合しません。");
    // A file that opens but cannot be read is not called empty.
    const std::string map = File("map.csv", titles + "A,B,1\n");
    iofault::Fail(iofault::opRead);
    const std::string unreadable = message(map, RSIF::fkMap);
    iofault::Reset();
    EXPECT_EQ(unreadable,
              "指定されたファイル[f.csv]を読込めません。(ディスクへの読み書きに失敗しました)");
    EXPECT_EQ(RSIF::ReadFailureMessage(RSIF::ReadDRF({map, {}}), "f.csv", RSIF::fkInstructions),
              "指定されたファイル[f.csv]は検索指示ファイルのフォーマットと適合しません。");
}

TEST_F(EngineTest, OneLoadingCallTakesAFileAFifoOrATable) {
    const std::string text =
        "M_始点ノード名,M_終点ノード名,M_ノード間距離\nA,B,1\n,C,2\nB,C,3\nA,B,4\n";
    const std::string path = File("map.csv", text);
    auto loaded = [](const RSIF::typMapLoad& load) {
        return std::to_string(load.code) + "\n" + Texts(load.warnings) +
               NetworkText(RSIF::GetNodes());
    };
    const std::string fromFile = loaded(RSIF::LoadMap({path, {}}, 2));
    EXPECT_NE(fromFile.find("[0004]"), std::string::npos) << fromFile;

    const std::string fifo = dir.Path("map.fifo");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    std::thread writer(
        [&] { std::ofstream(fifo, std::ios::binary) << codepage::Utf8ToCp932(text); });
    const std::string fromFifo = loaded(RSIF::LoadMap({fifo, {}}, 2));
    writer.join();
    EXPECT_EQ(fromFifo, fromFile);

    const RSIF::TableLoader table = [&](TSLtabCL& into) { return into.LoadCsvFile(path); };
    EXPECT_EQ(loaded(RSIF::LoadMap({{}, table}, 2)), fromFile);

    // A load stopped once its titles are read leaves the network as it was.
    const std::string network = NetworkText(RSIF::GetNodes());
    RSIF::typMapLoad stopped = RSIF::LoadMap(
        {File("other.csv", "M_始点ノード名,M_終点ノード名,M_ノード間距離\nX,Y,1\n"), {}}, 2,
        [] { return false; });
    EXPECT_EQ(stopped.code, RSIF::rrStopped);
    EXPECT_EQ(NetworkText(RSIF::GetNodes()), network);
}

// Stops the work at its n-th round of events and every one after, as a window does once
// asked.
class StoppingProgress final : public ProgressDisplay {
public:
    explicit StoppingProgress(int stopAt) : mStopAt(stopAt) {}
    void Begin() override {}
    void SetPosition(int) override {}
    void ProcessEvents() override {
        if (++rounds >= mStopAt) {
            throw WorkStopped{};
        }
    }
    void End() override {}
    bool StopAsked() const override { return rounds >= mStopAt; }
    int rounds = 0;

private:
    int mStopAt;
};

// Whether `load` ended with WorkStopped when the display stops it at round `stopAt`.
bool StoppedAt(int stopAt, const std::function<void()>& load) {
    StoppingProgress progress(stopAt);
    RSIF::SetProgressDisplay(&progress);
    bool stopped = false;
    try {
        load();
    } catch (const WorkStopped&) {
        stopped = true;
    }
    RSIF::SetProgressDisplay(nullptr);
    return stopped;
}

TEST_F(EngineTest, ALoadStoppedAnywhereLeavesTheNetworkAndTheListAsTheyWere) {
    LoadMap("S,A,1\nA,E,2\n");
    tqList<tqString> warnings;
    ASSERT_EQ(ReadInstructions("D_検索名称,D_始点ノード名,D_終点ノード名\nok,S,E\n", warnings),
              RSIF::rrRead);
    const std::string network = NetworkText(RSIF::GetNodes());
    const std::string map = File("big.csv", "M_始点ノード名,M_終点ノード名,M_ノード間距離\n" +
                                                ManyRows("A#,B#,1", 3000) + "bad,,1\n");
    const std::string drf =
        File("bigdrf.csv", "D_検索名称,D_始点ノード名,D_終点ノード名\n" + ManyRows("s#,S,E", 3000));
    // Every round of events a load holds, in turn, ends it.
    for (int stopAt = 1; StoppedAt(stopAt, [&] { (void)RSIF::LoadMap({map, {}}, 2); }); ++stopAt) {
        ASSERT_EQ(NetworkText(RSIF::GetNodes()), network) << "stopped at " << stopAt;
        ASSERT_LT(stopAt, 1000);
    }
    LoadMap("S,A,1\nA,E,2\n");
    ASSERT_EQ(ReadInstructions("D_検索名称,D_始点ノード名,D_終点ノード名\nok,S,E\n", warnings),
              RSIF::rrRead);
    auto loadInstructions = [&] {
        if (RSIF::ReadDRFFile(drf) == RSIF::rrRead) {
            tqList<tqString> more;
            EXPECT_TRUE(RSIF::MakeDRFList(more));
        }
    };
    for (int stopAt = 1; StoppedAt(stopAt, loadInstructions); ++stopAt) {
        ASSERT_EQ(RSIF::GetDRFList().Count(), 1) << "stopped at " << stopAt;
        EXPECT_EQ(std::string(RSIF::GetDRFList().Get(0)->Name.GetText()), "ok");
        ASSERT_LT(stopAt, 1000);
    }
    EXPECT_EQ(RSIF::GetDRFList().Count(), 3000);  // the load that ran to its end
}

TEST_F(EngineTest, ASearchRunStoppedWhileItPreparesSearchesNothingAndCanRunAgain) {
    // The landmarks are measured one by one where links go one way (a report before each),
    // and the first two before any search where every link goes both ways.
    for (const auto& [back, stopAt] : {std::pair{3, 3}, std::pair{2, 1}}) {
        std::string map;
        std::string drf = "D_検索名称,D_始点ノード名,D_終点ノード名\n";
        for (int i = 0; i < 60; ++i) {  // enough searches from different starts for landmarks
            map += "N" + std::to_string(i) + ",N" + std::to_string(i + 1) + ",2\n";
            map += "N" + std::to_string(i + 1) + ",N" + std::to_string(i) + "," +
                   std::to_string(back) + "\n";
            drf += "s" + std::to_string(i) + ",N" + std::to_string(i) + ",N" +
                   std::to_string(59 - i) + "\n";
        }
        LoadMap(map);
        tqList<tqString> warnings;
        ASSERT_EQ(ReadInstructions(drf, warnings), RSIF::rrRead);
        int reports = 0;
        EXPECT_EQ(RSIF::SearchAllDRF(2,
                                     [&](int finished) {
                                         EXPECT_EQ(finished, 0);
                                         if (++reports < stopAt) {
                                             return true;
                                         }
                                         // By now a helper waits for the next landmark: the
                                         // stop must free it.
                                         std::this_thread::sleep_for(std::chrono::milliseconds(20));
                                         return false;
                                     }),
                  0);
        EXPECT_EQ(reports, stopAt);
        EXPECT_TRUE(RSIF::GetNodes().Landmarks().Empty());
        EXPECT_EQ(RSIF::SearchAllDRF(2, [](int) { return true; }), 60);
        EXPECT_FALSE(RSIF::GetNodes().Landmarks().Empty());
        EXPECT_EQ(RSIF::GetDRFList().Get(10)->Distance, 2 * (49 - 10));
    }
}

TEST_F(EngineTest, ManyInstructionNamesInAnyOrderAreCheckedQuickly) {
    LoadMap("S,E,1\n");
    std::string instructions = "D_検索名称,D_始点ノード名,D_終点ノード名\n";
    for (int i = 200000; i > 0; --i) {  // descending: each insertion in a sorted list shifts all
        instructions += std::to_string(i) + ",S,E\n";
    }
    instructions += "77,S,E\n";
    tqList<tqString> warnings;
    ASSERT_EQ(ReadInstructions(instructions, warnings), RSIF::rrRead);
    EXPECT_EQ(RSIF::GetDRFList().Count(), 200000);
    EXPECT_EQ(Texts(warnings), "[200001]行:検索名称[77]は既に存在します。\n");
}

TEST_F(EngineTest, OnlyTheTitlesOfTheFileJustReadCount) {
    LoadMap("S,E,1\n");
    tqList<tqString> warnings;
    ASSERT_EQ(ReadInstructions("D_検索名称,D_始点ノード名,D_終点ノード名\na,S,E\n", warnings),
              RSIF::rrRead);
    EXPECT_EQ(RSIF::GetDRFList().Count(), 1);
    // The titles of the earlier file must not stand in for those this one lacks.
    EXPECT_EQ(ReadInstructions("M_始点ノード名,M_終点ノード名,M_ノード間距離\nS,E,1\n", warnings),
              RSIF::rrTitleMissing);
    EXPECT_EQ(ReadInstructions("X,Y\n1,2\n", warnings), RSIF::rrTitleMissing);
    EXPECT_EQ(RSIF::GetDRFList().Count(), 1);
    EXPECT_EQ(Texts(warnings), "");
}

TEST_F(EngineTest, ReadsCheckTheirTitlesAndLeaveTheDataAlone) {
    LoadMap("S,E,1\n");
    tqList<tqString> warnings;
    ASSERT_EQ(ReadInstructions("D_検索名称,D_始点ノード名,D_終点ノード名\na,S,E\n", warnings),
              RSIF::rrRead);
    EXPECT_EQ(RSIF::LoadMap({File("bad.csv", "M_始点ノード名,M_終点ノード名\nA,B\n"), {}}, 1).code,
              RSIF::rrTitleMissing);
    EXPECT_EQ(RSIF::LoadMap({dir.Path("absent.csv"), {}}, 1).code, RSIF::rrCannotRead);
    EXPECT_EQ(RSIF::ReadDRFFile(File("bad.csv", "D_検索名称\nx\n")), RSIF::rrTitleMissing);
    EXPECT_EQ(RSIF::GetNodes().GetCount(), 2);
    EXPECT_EQ(RSIF::GetDRFList().Count(), 1);
}

TEST_F(EngineTest, LoadersReportProgressAtEveryTenthRow) {
    RecordingProgress progress;
    RSIF::SetProgressDisplay(&progress);
    std::string rows;
    for (int i = 0; i < 25; ++i) {
        rows += "A" + std::to_string(i) + ",B,1\n";
    }
    // The reading, then the building.
    LoadMap(rows, 1);
    EXPECT_EQ(progress.calls, "begin . end . begin . 40 . 80 . end . ");
    progress.calls.clear();
    LoadMap("A,B,1\n");
    EXPECT_EQ(progress.calls, "begin . end . begin . end . ");
    // Read in two pieces side by side, the first piece's rows tell how far all have come.
    for (int i = 25; i < 250; ++i) {
        rows += "A" + std::to_string(i) + ",B,1\n";
    }
    progress.calls.clear();
    LoadMap(rows, 2);
    std::istringstream calls(progress.calls.substr(progress.calls.rfind("begin")));
    std::vector<int> positions;
    for (std::string call; calls >> call;) {
        if (std::isdigit(static_cast<unsigned char>(call[0]))) {
            positions.push_back(std::stoi(call));
        }
    }
    ASSERT_GE(positions.size(), 10u);
    EXPECT_TRUE(std::is_sorted(positions.begin(), positions.end()));
    EXPECT_GE(positions.back(), 90);
    EXPECT_LE(positions.back(), 99);

    // A long instruction file moves the bar through the reading, by the bytes read.
    rows = "D_検索名称,D_始点ノード名,D_終点ノード名\n";
    for (uint32_t i = 0; i < 3 * TSLtabCL::kProgressLines; ++i) {
        rows += "s" + std::to_string(10000 + i) + ",A1,B\n";
    }
    progress.calls.clear();
    EXPECT_EQ(RSIF::ReadDRFFile(File("drf.csv", rows)), RSIF::rrRead);
    EXPECT_EQ(progress.calls.substr(0, progress.calls.find("end")), "begin . 40 . 70 . 99 . ");
}

}  // namespace

// A CP932 map file is split straight into the network; a UTF-8 one is stored in the table
// first. The same text must give the same network and the same warnings either way.
TEST_F(EngineTest, AMapFileBuildsTheRowsTheTableWouldHold) {
    const std::vector<std::string> pieces = {
        "A,B,1",
        "B,A,2",
        "A,B,3",
        "A,A,1",
        "C,,1",
        ",C,1",
        "C,D,0",
        "C,D,x",
        "C,D,-4",
        "\"A,\",B,5",
        "\"B\"\"\",C,6",
        "D,E,7,extra",
        "D,F",
        "F",
        "",
        "\"\"",
        ",,",
        "東京,大阪,9",
        "E,\"F\"x,1",
        std::string("G,H,1\0junk", 10),
        "\"unclosed,H,1",
        " I ,J, 12 ",
        "Junction01,Junction02,3",
        "Junction02,Junction01,4",  // alike but for the last byte
        std::string(99, '\n')};     // a piece of its own: empty lines between pieces with rows
    std::mt19937 random(11);
    for (int round = 0; round < 60; ++round) {
        std::string rows;
        const int count = std::uniform_int_distribution<int>(0, 60)(random);
        for (int i = 0; i < count; ++i) {
            rows += pieces[std::uniform_int_distribution<size_t>(0, pieces.size() - 1)(random)];
            rows += "\n";
        }
        rows += std::string(std::uniform_int_distribution<int>(0, 2)(random), '\n');
        if (round % 3 == 0 && !rows.empty()) {
            rows.pop_back();  // the last line without its LF
        }
        const std::string titles = round % 2 == 0
                                       ? "M_始点ノード名,M_終点ノード名,M_ノード間距離\n"
                                       : "M_ノード間距離,備考,M_終点ノード名,M_始点ノード名\n";
        // The warnings of a load.
        auto load = [&](const std::string& path, int threads) {
            const RSIF::typMapLoad loaded = RSIF::LoadMap({path, {}}, threads);
            EXPECT_EQ(loaded.code, RSIF::rrRead);
            return Texts(loaded.warnings);
        };
        // Node ids in the order the rows first name them, then the links as searched.
        auto network = [] { return NetworkText(RSIF::GetNodes()); };
        const std::string tabled = load(dir.Write("map8.csv", "\xEF\xBB\xBF" + titles + rows), 1);
        const std::string tabledNetwork = network();
        for (int threads : {1, 2, 3, 4}) {  // up to four pieces read side by side
            const std::string direct = load(File("map.csv", titles + rows), threads);
            EXPECT_EQ(direct, tabled) << threads << " threads:\n" << rows;
            EXPECT_EQ(network(), tabledNetwork) << threads << " threads:\n" << rows;
        }
    }
}

TEST_F(EngineTest, RepeatedLinksAreWarnedInRowOrderAmongTheOtherRefusals) {
    const RSIF::typMapLoad load =
        RSIF::LoadMap({File("map.csv",
                            "M_始点ノード名,M_終点ノード名,M_ノード間距離\n"
                            "A,B,1\nA,B,-2\nA,A,1\nB,A,0\nA,B,3\n,B,1\nB,A,4\n"),
                       {}},
                      1);
    ASSERT_EQ(load.code, RSIF::rrRead);
    EXPECT_EQ(Texts(load.warnings),
              "[0002]行:From[A]-To[B]のノード間リンクは既に定義されています。\n"
              "[0003]行:From及びToのノード名称は同一には出来ません。\n"
              "[0004]行:ノード間距離(Dist)は０に出来ません。\n"
              "[0005]行:From[A]-To[B]のノード間リンクは既に定義されています。\n"
              "[0006]行:From及びToのノード名称は空白に出来ません。\n");
    EXPECT_FALSE(RSIF::GetNodes().HasNegativeLink());  // the repeated A>B of -2 is no link
}

TEST_F(EngineTest, ManySearchesFromOneStartAreEachSearchedOnce) {
    std::string rows;
    std::string instructions = "D_検索名称,D_始点ノード名,D_終点ノード名\n";
    constexpr int kSearches = 600;  // more than one job's worth
    for (int i = 0; i <= kSearches; ++i) {
        rows += "N" + std::to_string(i) + ",N" + std::to_string(i + 1) + ",3\n";
    }
    // Every other one from the depot, the rest from N1; search i ends at N(601 - i).
    for (int i = 0; i < kSearches; ++i) {
        instructions += "s" + std::to_string(i) + (i % 2 == 0 ? ",N0,N" : ",N1,N") +
                        std::to_string(kSearches + 1 - i) + "\n";
    }
    LoadMap(rows);
    tqList<tqString> warnings;
    ASSERT_EQ(ReadInstructions(instructions, warnings), RSIF::rrRead);
    ASSERT_EQ(RSIF::GetDRFList().Count(), kSearches);
    for (int threads : {1, 2}) {
        for (int i = 0; i < kSearches; ++i) {
            RSIF::GetDRFList().Get(i)->Distance = -1;
        }
        ASSERT_EQ(RSIF::SearchAllDRF(threads, [](int) { return true; }), kSearches);
        for (int i = 0; i < kSearches; ++i) {
            const RSIF::typDRFInf& record = *RSIF::GetDRFList().Get(i);
            const int first = i % 2 == 0 ? 0 : 1;
            ASSERT_FALSE(record.Failed) << i;
            EXPECT_EQ(record.Distance, 3 * (kSearches + 1 - i - first)) << i;
            ASSERT_EQ(record.RouteNames.Count(), kSearches + 2 - i - first) << i;
            EXPECT_EQ(std::string(record.RouteNames.items[0].GetText()),
                      "N" + std::to_string(first));
        }
    }
}

TEST_F(EngineTest, ViaColumnsInAnyPlaceGiveViaPointsOrTheFirstWarningThatApplies) {
    LoadMap("S,A,1\nA,B,1\nB,E,1\nS,E,1\nE,S,1\nX,Y,1\n");
    tqList<tqString> warnings;
    // Numbered from 1 without a gap; a numbered column after a gap would be left out of the
    // searches, so such a file is refused as one that lacks a title.
    const std::string titles = "D_経由ノード名2,D_検索名称,D_始点ノード名,D_終点ノード名,";
    EXPECT_EQ(ReadInstructions(titles + "D_経由ノード名4\n", warnings), RSIF::rrTitleMissing);
    EXPECT_EQ(ReadInstructions(titles + "D_経由ノード名3\n", warnings), RSIF::rrTitleMissing);
    ASSERT_EQ(ReadInstructions(titles + "D_経由ノード名1,D_経由ノード名メモ\n"
                                        "B,two,S,E,A,Q\n"
                                        ",one,S,E,B\n"
                                        "B,second,S,E,\n"
                                        "Q,unknown,S,E,A\n"
                                        "A,again,S,E,A\n"
                                        "A,ends,S,E,E\n"
                                        "S,starts,S,E,\n"
                                        "X,far,S,E,\n"
                                        "B,plain,S,E,\n"
                                        "Q,both,S,E,S\n",
                               warnings),
              RSIF::rrRead);
    // Every via point is looked up before any is checked for a repeat.
    EXPECT_EQ(Texts(warnings),
              "[0004]行:経由ノード名称[Q]はＭＡＰ情報に存在しません。\n"
              "[0005]行:経由ノード名称[A]は経路上で重複しています。\n"
              "[0006]行:経由ノード名称[E]は経路上で重複しています。\n"
              "[0007]行:経由ノード名称[S]は経路上で重複しています。\n"
              "[0010]行:経由ノード名称[Q]はＭＡＰ情報に存在しません。\n");
    tqList<RSIF::typDRFInf>& list = RSIF::GetDRFList();
    ASSERT_EQ(list.Count(), 5);
    std::string found;
    for (int i = 0; i < list.Count(); ++i) {
        ASSERT_TRUE(RSIF::SearchDRF(i));
        const RSIF::typDRFInf& record = *list.Get(i);
        found += std::string(record.Name.GetText()) + ":";
        for (int k = 0; k < record.RouteNames.Count(); ++k) {
            found += std::string(record.RouteNames.items[k].GetText());
        }
        found += record.Failed ? " no route\n" : " " + std::to_string(record.Distance) + "\n";
    }
    // Via points in order, each leg the shortest; the distance is the sum of the legs.
    EXPECT_EQ(found,
              "two:SABE 3\n"
              "one:SABE 3\n"
              "second:SABE 3\n"
              "far: no route\n"
              "plain:SABE 3\n");
}

// Millions of refused rows: the list is copied a few dozen times, not at every thousandth.
TEST(WarningListTest, AddingWarningsCopiesTheListLogarithmicallyOften) {
    tqList<tqString> warnings;
    int copies = 0;
    for (int i = 0; i < 1000000; ++i) {
        const tqString* const* before = warnings.items.get();
        RSIF::AddWarning(warnings, "w");
        copies += warnings.items.get() != before ? 1 : 0;
    }
    EXPECT_EQ(warnings.Count(), 1000000);
    EXPECT_LE(copies, 12);
}
