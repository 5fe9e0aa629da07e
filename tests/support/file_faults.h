#pragma once
// Makes kinds of file calls fail (or move one byte at a time) while a scope lives.
#include <initializer_list>
#include <vector>

#include "platform/core/file_calls.h"

namespace test_support {

class FileFault {
public:
    using Call = platform::file_calls::Call;
    // error: an errno or kShort; nth: only the nth call of that kind, 0 every one.
    struct Rule {
        Call call;
        int error, nth = 0, seen = 0;
    };
    FileFault(std::initializer_list<Rule> rules) {
        rules_.assign(rules);
        platform::file_calls::set_fault_for_tests(&fire);
    }
    FileFault(Call call, int error, int nth = 0) : FileFault({Rule{call, error, nth}}) {}
    ~FileFault() { platform::file_calls::set_fault_for_tests(nullptr); }

private:
    static inline std::vector<Rule> rules_;
    static int fire(Call call) {
        for (Rule& r : rules_)
            if (r.call == call && (++r.seen == r.nth || r.nth == 0)) return r.error;
        return 0;
    }
};

}  // namespace test_support
