#include "core/editors/send_timers.h"

#include <gtest/gtest.h>

#include "editor_test_support.h"

namespace kestrova {
namespace {

using testing::ErrorText;
using testing::ReadText;
using testing::TempDir;
using testing::WriteText;

const char* const kIntervalMessage = "Error!! Timer Intervall must be between 1 and 120000 ms. ";

std::vector<TableRow> Timers(const std::vector<std::string>& intervals) {
    auto rows = EmptyTable(SendTimersLayout());
    for (size_t i = 0; i < intervals.size(); ++i) rows[i][0] = intervals[i];
    return rows;
}

TEST(TimerChecks, IntervalsFrom1To120000ReadAs64BitIntegers) {
    for (const char* accepted : {"1", "120000", "$1D4C0", " 500"}) EXPECT_FALSE(CheckSendTimers(Timers({accepted})));
    for (const char* refused : {"0", "120001", "-5", "10ms", "4294967297", "x100000001", "99999999999999999999"})
        EXPECT_EQ(CheckSendTimers(Timers({"100", refused})), kIntervalMessage) << refused;
    EXPECT_FALSE(CheckSendTimers(Timers({}))) << "no timers at all";
    EXPECT_FALSE(CheckSendTimers(Timers(std::vector<std::string>(10, "120000"))));
}

TEST(TimerChecks, ATimerAfterAnEmptyIntervalIsRefusedInsteadOfLost) {
    EXPECT_EQ(CheckSendTimers(Timers({"100", "200", "", "400"})),
              "Error in Timer T4!! The list ends at Timer T3, whose interval is empty, so Timer T4 would not be "
              "saved. Fill in Timer T3 or clear Timer T4.");
    EXPECT_EQ(CheckSendTimers(Timers({"0", "", "400"})), kIntervalMessage) << "the interval check comes first";
    EXPECT_FALSE(CheckSendTimers(Timers({"100", "", "   "}))) << "a blank timer loses nothing";
}

TEST(TimerSave, WritesOneTimerPerIntervalAsTypedUpToTheListEnd) {
    TempDir dir;
    const auto path = dir / "TimerDef.xml";
    SaveSendTimers(path, Timers({"100", "0x3E8", "", "   "}));
    EXPECT_EQ(ReadText(path), "<Timers><Timer>100</Timer><Timer>0x3E8</Timer></Timers>");
    SaveSendTimers(path, Timers({}));
    EXPECT_EQ(ReadText(path), "<Timers/>");
}

TEST(TimerLoad, FillsByPositionWhateverTheNamesAndRefusesMoreThanTen) {
    TempDir dir;
    const auto path = dir / "TimerDef.xml";
    EXPECT_EQ(LoadSendTimers(path), Timers({}));
    WriteText(path, "<T><Timer>100</Timer><Other>200</Other><Timer/><Timer>400</Timer></T>");
    EXPECT_EQ(LoadSendTimers(path), Timers({"100", "200", "", "400"}));

    std::string timers;
    for (int i = 1; i <= 10; ++i) timers += "<Timer>" + std::to_string(i) + "</Timer>";
    WriteText(path, "<Timers>" + timers + "</Timers>");
    EXPECT_EQ(LoadSendTimers(path)[9][0], "10");
    WriteText(path, "<Timers>" + timers + "<Timer>11</Timer></Timers>");
    EXPECT_EQ(ErrorText([&] { LoadSendTimers(path); }),
              "The file " + path +
                  " holds 11 timers, more than the 10 this window can show. It is not opened, so that saving cannot "
                  "drop any of them.");
    WriteText(path, "<Timers><Timer>1</Timers>");
    EXPECT_THROW(LoadSendTimers(path), Error);
}

}  // namespace
}  // namespace kestrova
