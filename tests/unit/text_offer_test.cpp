#include "platform/x11/text_offer.h"

#include <gtest/gtest.h>

#include <charconv>
#include <map>

namespace quillo::x11 {
namespace {

// Atoms of the tests' own, named in the fake's calls: text/plain as plain, its UTF-8 as utf-8.
enum : Atom { P = 1, Q, ATOM, TARGETS, UTF8_STRING, UTF8_PLAIN, PLAIN, STRING, TEXT, INCR, PNG };
const char* const kNames[] = {"None",  "P",     "Q",      "ATOM", "TARGETS", "UTF8_STRING",
                              "utf-8", "plain", "STRING", "TEXT", "INCR",    "PNG"};
const TextAtoms kAtoms{ATOM, TARGETS, UTF8_STRING, UTF8_PLAIN, PLAIN, STRING, TEXT, INCR};
constexpr Window kW = 7, kV = 8;  // two requestors' windows; we select 20000 on 8 beforehand

// Records each change the answers make on the X server, as a line:
// `7.P plain "abc"`, `7.P INCR 10`, `7 mask 400000`.
class FakeServer : public PropertyServer {
public:
    void changeProperty(Window w, Atom p, Atom type, std::string_view bytes) override {
        change(w, p, type, '"' + std::string(bytes) + '"');
    }
    void changeProperty32(Window w, Atom p, Atom type, std::span<const std::uint32_t> v) override {
        std::string values;
        for (const auto i : v) values += ' ' + (type == ATOM ? kNames[i] : std::to_string(i));
        change(w, p, type, values.substr(1));
    }
    std::uint32_t eventMask(Window w) override { return masks[w]; }
    void setEventMask(Window w, std::uint32_t mask) override {
        char hex[9] = {};
        std::to_chars(hex, hex + 8, masks[w] = mask, 16);
        calls.push_back(std::to_string(w) + " mask " + hex);
    }
    void change(Window w, Atom p, Atom type, const std::string& values) {
        calls.push_back(std::to_string(w) + '.' + kNames[p] + ' ' + kNames[type] + ' ' + values);
    }

    std::map<Window, std::uint32_t> masks{{kV, 0x20000}};
    std::vector<std::string> calls;
};

// A step of a transfer: a reply put, or without bytes, a property deleted:
// wP, wQ and vP delete P and Q on window 7 and P on 8.
struct Step {
    Window window;
    Atom property;
    const char* bytes = nullptr;
};
const Step wP{kW, P}, wQ{kW, Q}, vP{kV, P};

TEST(IncrTransfers, ChunksRepliesAndRestoresEventMasks) {
    const struct {
        const char* name;
        std::vector<Step> steps;
        std::vector<std::string> calls;
    } cases[] = {
        {"a reply in pieces: INCR, a chunk at each delete, then none; other deletes ignored",
         {{kW, P, "abcdefghij"}, wP, wQ, vP, wP, wP, wP, wP},
         {"7 mask 400000", "7.P INCR 10", "7.P plain \"abcd\"", "7.P plain \"efgh\"",
          "7.P plain \"ij\"", "7.P plain \"\"", "7 mask 0"}},
        {"transfers on two windows at once: each window's mask back when its last one ends",
         {{kW, P, "abcde"}, {kV, P, "vwxyz"}, {kW, Q, "12345"}, vP, wP, wP, wP, vP, wQ, vP, wQ, wQ},
         {"7 mask 400000", "7.P INCR 5", "8 mask 420000", "8.P INCR 5", "7.Q INCR 5",
          "8.P plain \"vwxy\"", "7.P plain \"abcd\"", "7.P plain \"e\"", "7.P plain \"\"",
          "8.P plain \"z\"", "7.Q plain \"1234\"", "8.P plain \"\"", "8 mask 20000",
          "7.Q plain \"5\"", "7.Q plain \"\"", "7 mask 0"}},
        {"a new request on the property ends the transfer using it; one of a chunk goes at once",
         {{kW, P, "abcdef"}, wP, {kW, P, "wxyz"}, wP},
         {"7 mask 400000", "7.P INCR 6", "7.P plain \"abcd\"", "7 mask 0", "7.P plain \"wxyz\""}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        FakeServer server;
        IncrTransfers transfers(server, INCR, 4);
        for (const Step& step : c.steps) {
            if (step.bytes) {
                transfers.put(step.window, step.property, PLAIN,
                              std::make_shared<const std::string>(step.bytes));
            } else {
                transfers.propertyDeleted(step.window, step.property);
            }
        }
        EXPECT_EQ(server.calls, c.calls);
    }
}

TEST(TextOffer, AnswersEachTargetInItsEncoding) {
    const std::string all = "7.P ATOM TARGETS UTF8_STRING utf-8 plain STRING TEXT";
    const struct {
        std::u16string text;
        Atom target;
        Atom property;
        std::vector<std::string> calls;  // none: the SelectionNotify names no property
    } cases[] = {
        {u"café", TARGETS, P, {all}},
        {u"", TARGETS, P, {all}},
        {u"王晓明", TARGETS, P, {"7.P ATOM TARGETS UTF8_STRING utf-8 TEXT"}},
        {u"café", STRING, P, {"7.P STRING \"caf\xE9\""}},
        {u"ÿ", STRING, P, {"7.P STRING \"\xFF\""}},
        {u"王晓明", STRING, P, {}},
        {u"Ā", STRING, P, {}},
        {u"a😀", STRING, P, {}},
        {u"王晓明", UTF8_STRING, P, {"7.P UTF8_STRING \"王晓明\""}},
        {u"王晓明", UTF8_PLAIN, P, {"7.P utf-8 \"王晓明\""}},
        {u"王晓明", PLAIN, P, {"7.P plain \"王晓明\""}},
        {u"王晓明", TEXT, P, {"7.P UTF8_STRING \"王晓明\""}},  // the owner's choice, UTF-8
        {u"ab", TEXT, kNone, {"7.TEXT UTF8_STRING \"ab\""}},   // before ICCCM 2
        {u"ab", PNG, P, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "row " << &c - cases);
        FakeServer server;
        TextOffer offer(server, kAtoms, 99);
        offer.offer(c.text);
        EXPECT_EQ(offer.answers(c.target), c.target != PNG);
        const Atom notified = c.calls.empty() ? kNone : c.property ? c.property : c.target;
        EXPECT_EQ(offer.answer(kW, c.target, c.property), notified);
        EXPECT_EQ(server.calls, c.calls);
        // The drag's own list of targets holds STRING when the reply does.
        EXPECT_TRUE(c.target != TARGETS || offer.offersString() == (c.calls[0] == all));
    }
}

}  // namespace
}  // namespace quillo::x11
