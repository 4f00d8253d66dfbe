#pragma once

#include "stats/serviceerror.h"

#include <QByteArrayView>
#include <QString>
#include <QtGlobal>
#include <array>
#include <cstdint>
#include <map>
#include <optional>
#include <simdjson.h>
#include <string_view>
#include <tuple>
#include <type_traits>
#include <vector>

// One member of a record: its JSON name and where it lands.
template <class Record, class Member> struct Field {
    std::string_view name;
    Member Record::*member;
};

template <class Record, class Member>
constexpr Field<Record, Member> field(std::string_view name, Member Record::*member)
{
    return { name, member };
}

namespace decoding {

// A step from the document root to the value being decoded. The readable path
// is only built when decoding fails, so the happy path pays for pointers only.
struct PathStep {
    const PathStep *parent = nullptr;
    std::string_view key; // empty for an array element
    std::size_t index = 0;
};

QString describePath(const PathStep *step);
[[noreturn]] void fail(const PathStep *step, const char *problem);

template <class T>
concept Described = requires { fields(std::type_identity<T> {}); };

template <class T> struct IsOptional : std::false_type { };
template <class T> struct IsOptional<std::optional<T>> : std::true_type { };

enum class Presence { Absent, Null, Present };

// How the descriptor walk reads one kind of JSON node. Each reader has an Object type and
//   object(node, Object &) and string/boolean/int64/number(node, out): false for another type;
//   member(Object &, name, node &): whether the member is there and null;
//   forEachElement(node, reserve(size), each(node)) and forEachMember(node, each(key, node)): false for another type.
template <class Node> struct Reader;

[[noreturn]] void malformed(simdjson::error_code error);

// Records list their members in the order the service sends them, so each search starts after the member found
// last and wraps around: one pass over an object instead of one per member (the feed's objects run to 60 members).
template <> struct Reader<simdjson::dom::element> {
    using Node = simdjson::dom::element;
    struct Object {
        simdjson::dom::object object;
        simdjson::dom::object::iterator next;
    };

    static bool object(Node node, Object &out)
    {
        if (node.get_object().get(out.object)) return false;
        out.next = out.object.begin();
        return true;
    }
    static Presence member(Object &object, std::string_view name, Node &out)
    {
        const auto found = [&](simdjson::dom::object::iterator at) {
            object.next = at;
            ++object.next;
            out = at.value();
            return out.is_null() ? Presence::Null : Presence::Present;
        };
        const auto end = object.object.end();
        for (auto at = object.next; at != end; ++at) {
            if (at.key_equals(name)) return found(at);
        }
        for (auto at = object.object.begin(); at != object.next; ++at) {
            if (at.key_equals(name)) return found(at);
        }
        return Presence::Absent;
    }
    static bool string(Node node, std::string_view &out) { return !node.get_string().get(out); }
    static bool boolean(Node node, bool &out) { return !node.get_bool().get(out); }
    static bool int64(Node node, std::int64_t &out) { return !node.get_int64().get(out); }
    static bool number(Node node, double &out) { return !node.get_double().get(out); }
    template <class Reserve, class Each> static bool forEachElement(Node node, Reserve reserve, Each each)
    {
        simdjson::dom::array array;
        if (node.get_array().get(array)) return false;
        reserve(array.size());
        for (Node item : array)
            each(item);
        return true;
    }
    template <class Each> static bool forEachMember(Node node, Each each)
    {
        simdjson::dom::object object;
        if (node.get_object().get(object)) return false;
        for (auto [key, value] : object)
            each(key, value);
        return true;
    }
};

// On-Demand reads only the members asked for and skips the rest unparsed, so a structural error may surface at
// any step; it fails the whole answer. Its records are read by decodeRecordInOnePass, not member by member.
template <> struct Reader<simdjson::ondemand::value> {
    using Node = simdjson::ondemand::value;
    using Object = simdjson::ondemand::object;

    static bool object(Node node, Object &out) { return !node.get_object().get(out); }
    static bool string(Node node, std::string_view &out) { return !node.get_string().get(out); }
    static bool boolean(Node node, bool &out) { return !node.get_bool().get(out); }
    static bool int64(Node node, std::int64_t &out) { return !node.get_int64().get(out); }
    static bool number(Node node, double &out) { return !node.get_double().get(out); }
    template <class Reserve, class Each> static bool forEachElement(Node node, Reserve, Each each)
    {
        simdjson::ondemand::array array;
        if (node.get_array().get(array)) return false;
        for (auto item : array) {
            Node value;
            if (const auto error = item.get(value)) malformed(error);
            each(value);
        }
        return true;
    }
    template <class Each> static bool forEachMember(Node node, Each each)
    {
        Object object;
        if (node.get_object().get(object)) return false;
        for (auto field : object) {
            std::string_view key;
            if (const auto error = field.unescaped_key().get(key)) malformed(error);
            Node value;
            if (const auto error = field.value().get(value)) malformed(error);
            each(key, value);
        }
        return true;
    }
};

template <class Node, class T> void decodeValue(Node node, const PathStep *path, T &out);

template <class Node> void decodeScalar(Node node, const PathStep *path, QString &out)
{
    std::string_view text;
    if (!Reader<Node>::string(node, text)) fail(path, "expected a string");
    out = QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

template <class Node> void decodeScalar(Node node, const PathStep *path, bool &out)
{
    if (!Reader<Node>::boolean(node, out)) fail(path, "expected a boolean");
}

template <class Node> void decodeScalar(Node node, const PathStep *path, qint64 &out)
{
    std::int64_t value = 0;
    if (!Reader<Node>::int64(node, value)) fail(path, "expected a 64-bit integer");
    out = value;
}

template <class Node> void decodeScalar(Node node, const PathStep *path, double &out)
{
    if (!Reader<Node>::number(node, out)) fail(path, "expected a number");
}

// On-Demand reads a record in one pass over its object, each member decoded as it comes (the first of repeated
// ones; the DOM reader's wrap-around search may take a later one, and JSON leaves the choice open): a member looked up
// by name would search the object again for each absent one, and simdjson's own wrap-around search trusts that what
// it passed before was well formed.
template <class Record> void decodeRecordInOnePass(simdjson::ondemand::value node, const PathStep *path, Record &out)
{
    simdjson::ondemand::object object;
    if (node.get_object().get(object)) fail(path, "expected an object");
    const auto members = fields(std::type_identity<Record> {});
    constexpr std::size_t count = std::tuple_size_v<std::remove_cvref_t<decltype(members)>>;
    std::array<bool, count> found {};
    const auto decodeMember
        = [&]<std::size_t I>(std::integral_constant<std::size_t, I>, simdjson::ondemand::value value) {
              const auto &member = std::get<I>(members);
              using Member = std::remove_reference_t<decltype(out.*(member.member))>;
              const PathStep step { path, member.name, 0 };
              found[I] = true;
              simdjson::ondemand::json_type type {};
              if (const auto error = value.type().get(type)) malformed(error);
              if (type != simdjson::ondemand::json_type::null)
                  decodeValue(value, &step, out.*(member.member));
              else if constexpr (IsOptional<Member>::value)
                  out.*(member.member) = std::nullopt;
              else
                  fail(&step, "required member is null");
          };
    for (auto field : object) {
        std::string_view key;
        if (const auto error = field.unescaped_key().get(key)) malformed(error);
        simdjson::ondemand::value value;
        if (const auto error = field.value().get(value)) malformed(error);
        [&]<std::size_t... I>(std::index_sequence<I...>) {
            (void)((!found[I] && std::get<I>(members).name == key
                           ? (decodeMember(std::integral_constant<std::size_t, I> {}, value), true)
                           : false)
                || ...);
        }(std::make_index_sequence<count> {});
    }
    [&]<std::size_t... I>(std::index_sequence<I...>) {
        const auto absent = [&](const auto &member) {
            using Member = std::remove_reference_t<decltype(out.*(member.member))>;
            const PathStep step { path, member.name, 0 };
            if constexpr (IsOptional<Member>::value)
                out.*(member.member) = std::nullopt;
            else
                fail(&step, "missing required member");
        };
        ((found[I] ? void() : absent(std::get<I>(members))), ...);
    }(std::make_index_sequence<count> {});
}

template <class Node, class Record> void decodeRecord(Node node, const PathStep *path, Record &out)
{
    if constexpr (std::is_same_v<Node, simdjson::ondemand::value>) {
        decodeRecordInOnePass(node, path, out);
    } else {
        typename Reader<Node>::Object object;
        if (!Reader<Node>::object(node, object)) fail(path, "expected an object");
        std::apply(
            [&](const auto &...members) {
                auto decodeMember = [&](const auto &member) {
                    using Member = std::remove_reference_t<decltype(out.*(member.member))>;
                    const PathStep step { path, member.name, 0 };
                    Node value;
                    const Presence presence = Reader<Node>::member(object, member.name, value);
                    if (presence != Presence::Present) {
                        if constexpr (IsOptional<Member>::value)
                            out.*(member.member) = std::nullopt;
                        else
                            fail(&step,
                                presence == Presence::Absent ? "missing required member" : "required member is null");
                        return;
                    }
                    decodeValue(value, &step, out.*(member.member));
                };
                (decodeMember(members), ...);
            },
            fields(std::type_identity<Record> {}));
    }
}

template <class Node, class T> void decodeValue(Node node, const PathStep *path, std::vector<T> &out)
{
    out.clear();
    std::size_t index = 0;
    const bool isArray = Reader<Node>::forEachElement(
        node, [&](std::size_t size) { out.reserve(size); },
        [&](Node item) {
            const PathStep step { path, {}, index++ };
            decodeValue(item, &step, out.emplace_back());
        });
    if (!isArray) fail(path, "expected an array");
}

// Objects keyed by the service's own ids (the live feed's "ID123456" players).
template <class Node, class T> void decodeValue(Node node, const PathStep *path, std::map<QString, T> &out)
{
    out.clear();
    const bool isObject = Reader<Node>::forEachMember(node, [&](std::string_view key, Node value) {
        const PathStep step { path, key, 0 };
        decodeValue(value, &step, out[QString::fromUtf8(key.data(), static_cast<qsizetype>(key.size()))]);
    });
    if (!isObject) fail(path, "expected an object");
}

template <class Node, class T> void decodeValue(Node node, const PathStep *path, std::optional<T> &out)
{
    decodeValue(node, path, out.emplace());
}

template <class Node, class T> void decodeValue(Node node, const PathStep *path, T &out)
{
    if constexpr (Described<T>)
        decodeRecord(node, path, out);
    else
        decodeScalar(node, path, out);
}

// Parses the bytes (a leading UTF-8 byte-order mark is skipped) with this
// thread's parser, reused across calls.
simdjson::dom::element parse(QByteArrayView bytes);

// The root of the bytes (byte-order mark skipped) for reading On-Demand with this thread's parser; valid until the
// next call on this thread.
simdjson::ondemand::value iterate(QByteArrayView bytes);
// Once the root is read to its end: fails when anything follows it.
void finishIterating();

} // namespace decoding

// Decodes a whole answer into T. Throws ServiceError of kind Decoding that names
// the JSON path of the offending member.
template <class T> T decode(QByteArrayView bytes)
{
    T result {};
    decoding::decodeValue(decoding::parse(bytes), nullptr, result);
    return result;
}

// The same, reading only the members T describes: the rest is checked for balance, not parsed. For large answers
// of which little is read (the live feed).
template <class T> T decodeOnDemand(QByteArrayView bytes)
{
    T result {};
    decoding::decodeValue(decoding::iterate(bytes), nullptr, result);
    decoding::finishIterating();
    return result;
}
