// The practice options of the command line: what each takes, what it
// refuses, and that nothing of them reaches the stored set-up unasked.
#include "practice/practice_options.h"

#include <gtest/gtest.h>

namespace corvatta::practice {
namespace {

TEST(PracticeOptions, TakesTheirValuesAndRefusesWhatCannotBeMeant) {
    struct Case {
        QStringList args;
        bool practice;
        QString seed;  // as the session gets it; "" when not given
        int minutes;   // 30: the stored set-up's
        QString record;
        bool refused;
    };
    const Case cases[] = {
        {{}, false, "", 30, "", false},
        {{"-platform", "offscreen"}, false, "", 30, "", false},
        {{"--practice"}, true, "", 30, "", false},
        {{"--practice", "--seed", "42", "--minutes", "5", "--record", "a.wav"},
         true,
         "42",
         5,
         "a.wav",
         false},
        {{"--minutes=240", "--practice", "--seed=18446744073709551615"},
         true,
         "18446744073709551615",
         240,
         "",
         false},
        {{"--practice", "--minutes", "0"}, true, "", 30, "", true},
        {{"--practice", "--minutes", "241"}, true, "", 30, "", true},
        {{"--practice", "--minutes", "ten"}, true, "", 30, "", true},
        {{"--practice", "--seed", "-1"}, true, "", 30, "", true},
        {{"--practice", "--seed", "18446744073709551616"}, true, "", 30, "", true},
        {{"--practice", "--record"}, true, "", 30, "", true},
        {{"--practice", "--record", "--seed", "1"}, true, "", 30, "", true},
        {{"--practice", "--record="}, true, "", 30, "", true},
        {{"--seed", "1"}, false, "", 30, "", true},  // nothing to apply it to
        {{"--", "--practice"}, false, "", 30, "", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.args.join(u' ').toStdString());
        const PracticeOptions o = ParsePracticeOptions(QStringList{"Corvatta"} + c.args);
        EXPECT_EQ(!o.error.isEmpty(), c.refused) << o.error.toStdString();
        if (c.refused) {
            continue;
        }
        EXPECT_EQ(o.practice, c.practice);
        const PracticeSettings s = ApplyOptions(PracticeSettings{}, o);
        EXPECT_EQ(s.Seed, c.seed);
        EXPECT_EQ(s.Minutes, c.minutes);
        EXPECT_EQ(s.Record, !c.record.isEmpty());
        EXPECT_EQ(s.RecordFile, c.record);
    }
}

}  // namespace
}  // namespace corvatta::practice
