#include "practice/call_match.h"

#include <algorithm>
#include <vector>

namespace corvatta::practice {

int CallDistance(const QString& sentText, const QString& callText) {
    const QString sent = sentText.toUpper();
    const QString call = callText.toUpper();
    const auto n = call.size();
    // prev[j]: the edits turning the sent characters so far into the first
    // j characters of the call.
    std::vector<int> prev(size_t(n) + 1), cur(size_t(n) + 1);
    for (qsizetype j = 0; j <= n; ++j) {
        prev[size_t(j)] = int(j);
    }
    for (const QChar s : sent) {
        if (s == u'?') {
            // Any run of the call's characters, free: the best of what came
            // before at or left of each position.
            cur[0] = prev[0];
            for (qsizetype j = 1; j <= n; ++j) {
                cur[size_t(j)] = std::min(prev[size_t(j)], cur[size_t(j - 1)]);
            }
        } else {
            cur[0] = prev[0] + 1;
            for (qsizetype j = 1; j <= n; ++j) {
                const int replace = prev[size_t(j - 1)] + (call.at(j - 1) == s ? 0 : 1);
                cur[size_t(j)] = std::min({replace, prev[size_t(j)] + 1, cur[size_t(j - 1)] + 1});
            }
        }
        std::swap(prev, cur);
    }
    return prev[size_t(n)];
}

}  // namespace corvatta::practice
