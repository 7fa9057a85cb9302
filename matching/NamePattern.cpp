#include "matching/NamePattern.h"

#include <pcre2.h>

#include <mutex>
#include <new>
#include <vector>

namespace kw {

namespace {

// ECMAScript's reading where PCRE2 differs by default: \u escapes (and \U, \x as ECMAScript
// reads them), $ only at the very end, unset back references match empty, [] and [^]. UTF
// mode so that a character is one character; \C, which could split one, is refused.
constexpr uint32_t kCompileOptions = PCRE2_UTF | PCRE2_MATCH_INVALID_UTF | PCRE2_NEVER_BACKSLASH_C | PCRE2_ALT_BSUX |
                                     PCRE2_DOLLAR_ENDONLY | PCRE2_MATCH_UNSET_BACKREF | PCRE2_ALLOW_EMPTY_CLASS;

std::string ErrorText(int code) {
    PCRE2_UCHAR text[256];
    const int length = pcre2_get_error_message(code, text, sizeof text);
    return length > 0 ? std::string(reinterpret_cast<const char*>(text), static_cast<size_t>(length)) : "error";
}

// The bounds and the result buffer of one search at a time. Only whether (and where) there is a
// match is asked, so one pair of offsets is enough for any pattern.
class SearchState {
public:
    SearchState() {
        if (context) {
            pcre2_set_match_limit(context, kPatternStepLimit);
            pcre2_set_heap_limit(context, kPatternMemoryLimitKiB);
        }
    }
    ~SearchState() {
        pcre2_match_data_free(data);
        pcre2_match_context_free(context);
    }
    SearchState(const SearchState&) = delete;
    SearchState& operator=(const SearchState&) = delete;

    pcre2_match_data* data = pcre2_match_data_create(1, nullptr);
    pcre2_match_context* context = pcre2_match_context_create(nullptr);
};

// States are lent to searches from a pool that lives as long as the process. Not thread_local:
// mingw-w64 runs thread_local destructors after the thread's emulated TLS is gone, which
// faulted now and then as batch and preview threads ended.
class StatePool {
public:
    SearchState* Take() {
        {
            std::lock_guard lock(mutex);
            if (!idle.empty()) {
                SearchState* state = idle.back();
                idle.pop_back();
                return state;
            }
        }
        return new (std::nothrow) SearchState();
    }
    void Give(SearchState* state) {
        std::lock_guard lock(mutex);
        idle.push_back(state);
    }

private:
    std::mutex mutex;
    std::vector<SearchState*> idle;
};

StatePool& Pool() {
    static StatePool* pool = new StatePool();  // never destroyed: searches may outlive static teardown
    return *pool;
}

class LentState {
public:
    LentState() : state(Pool().Take()) {}
    ~LentState() {
        if (state) Pool().Give(state);
    }
    LentState(const LentState&) = delete;
    LentState& operator=(const LentState&) = delete;
    SearchState* operator->() const { return state; }
    explicit operator bool() const { return state && state->data && state->context; }

private:
    SearchState* state;
};

}  // namespace

struct NamePattern::Code {
    explicit Code(pcre2_code* code) : compiled(code) {}
    ~Code() { pcre2_code_free(compiled); }
    Code(const Code&) = delete;
    Code& operator=(const Code&) = delete;
    pcre2_code* compiled;
    bool jit = false;
};

NamePattern::NamePattern(std::string_view pattern) {
    const auto compile = [&](uint32_t options, int& errorCode, PCRE2_SIZE& offset) {
        return pcre2_compile(reinterpret_cast<PCRE2_SPTR>(pattern.data()), pattern.size(), options, &errorCode,
                             &offset, nullptr);
    };
    int errorCode = 0;
    PCRE2_SIZE offset = 0;
    // Only whether a name matches is asked, so groups need not capture; a capturing group costs
    // every backtracking step room for its offsets, which for a deeply nested pattern on a long
    // name is the difference between megabytes and gigabytes. Groups capture only where the
    // pattern refers to them: with no named group, any reference to a number fails to compile
    // without capturing (and named groups always capture, which would renumber the rest).
    pcre2_code* compiled = compile(kCompileOptions | PCRE2_NO_AUTO_CAPTURE, errorCode, offset);
    uint32_t names = 0;
    if (compiled && (pcre2_pattern_info(compiled, PCRE2_INFO_NAMECOUNT, &names) != 0 || names > 0)) {
        pcre2_code_free(compiled);
        compiled = nullptr;
    }
    if (!compiled) compiled = compile(kCompileOptions, errorCode, offset);
    if (!compiled) {
        // PCRE2 gives the byte where it stopped; a person counts characters, from 1.
        size_t character = 1;
        for (size_t i = 0; i < offset && i < pattern.size(); ++i)
            if ((static_cast<unsigned char>(pattern[i]) & 0xC0) != 0x80) ++character;
        error = ErrorText(errorCode) + " (at character " + std::to_string(character) + ")";
        return;
    }
    code = std::make_unique<Code>(compiled);
    // Where machine code cannot be made (no executable memory), the interpreter does the work.
    code->jit = pcre2_jit_compile(compiled, PCRE2_JIT_COMPLETE) == 0;
}

bool NamePattern::Jit() const { return code && code->jit; }

NamePattern::~NamePattern() = default;
NamePattern::NamePattern(NamePattern&&) noexcept = default;
NamePattern& NamePattern::operator=(NamePattern&&) noexcept = default;

PatternSearch NamePattern::Search(std::string_view name) const {
    PatternSearch result;
    if (!code) return result;
    const LentState state;
    if (!state) {
        result.gaveUp = "could not be searched (out of memory)";
        return result;
    }
    const auto subject = reinterpret_cast<PCRE2_SPTR>(name.data());
    int rc = pcre2_match(code->compiled, subject, name.size(), 0, 0, state->data, state->context);
    // JIT code backtracks on a small machine stack of its own; the interpreter keeps its
    // backtracking on the heap, within the memory bound, and so finds the answer.
    if (rc == PCRE2_ERROR_JIT_STACKLIMIT)
        rc = pcre2_match(code->compiled, subject, name.size(), 0, PCRE2_NO_JIT, state->data, state->context);
    if (rc >= 0) {
        result.matched = true;
        const PCRE2_SIZE* span = pcre2_get_ovector_pointer(state->data);
        result.matchBegin = span[0];
        result.matchEnd = span[1] < span[0] ? span[0] : span[1];  // \K can end a match before it starts
    } else if (rc == PCRE2_ERROR_MATCHLIMIT) {
        result.gaveUp = "gave up after " + std::to_string(kPatternStepLimit) + " steps";
    } else if (rc == PCRE2_ERROR_HEAPLIMIT || rc == PCRE2_ERROR_DEPTHLIMIT || rc == PCRE2_ERROR_NOMEMORY) {
        result.gaveUp = "gave up: it needs more than " + std::to_string(kPatternMemoryLimitKiB / 1024) + " MiB";
    } else if (rc != PCRE2_ERROR_NOMATCH) {
        result.gaveUp = "could not be searched (" + ErrorText(rc) + ")";
    }
    return result;
}

}  // namespace kw
