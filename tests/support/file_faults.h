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
        int error, nth = 0;
    };
    FileFault(std::initializer_list<Rule> rules) {
        plan().clear();
        for (const Rule& r : rules) plan().push_back({r, 0});
        platform::file_calls::set_fault_for_tests(&fire);
    }
    FileFault(Call call, int error, int nth = 0) : FileFault({Rule{call, error, nth}}) {}
    ~FileFault() { platform::file_calls::set_fault_for_tests(nullptr); }
    FileFault(const FileFault&) = delete;
    FileFault& operator=(const FileFault&) = delete;

private:
    struct Armed {
        Rule rule;
        int seen;
    };
    static std::vector<Armed>& plan() {
        static std::vector<Armed> p;
        return p;
    }
    static int fire(Call call) {
        for (Armed& a : plan())
            if (a.rule.call == call && (++a.seen == a.rule.nth || a.rule.nth == 0)) return a.rule.error;
        return 0;
    }
};

}  // namespace test_support
