#pragma once

#include "stats/serviceerror.h"

#include <QByteArrayView>
#include <QString>
#include <QtGlobal>
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

template <class T> void decodeValue(simdjson::dom::element element, const PathStep *path, T &out);

inline void decodeScalar(simdjson::dom::element element, const PathStep *path, QString &out)
{
    std::string_view text;
    if (element.get_string().get(text)) fail(path, "expected a string");
    out = QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

inline void decodeScalar(simdjson::dom::element element, const PathStep *path, bool &out)
{
    if (element.get_bool().get(out)) fail(path, "expected a boolean");
}

inline void decodeScalar(simdjson::dom::element element, const PathStep *path, qint64 &out)
{
    std::int64_t value = 0;
    if (element.get_int64().get(value)) fail(path, "expected a 64-bit integer");
    out = value;
}

inline void decodeScalar(simdjson::dom::element element, const PathStep *path, double &out)
{
    if (element.get_double().get(out)) fail(path, "expected a number");
}

template <class Record> void decodeRecord(simdjson::dom::element element, const PathStep *path, Record &out)
{
    simdjson::dom::object object;
    if (element.get_object().get(object)) fail(path, "expected an object");
    std::apply(
        [&](const auto &...members) {
            auto decodeMember = [&](const auto &member) {
                using Member = std::remove_reference_t<decltype(out.*(member.member))>;
                const PathStep step { path, member.name, 0 };
                simdjson::dom::element value;
                const bool absent = object.at_key(member.name).get(value) != simdjson::SUCCESS;
                if (absent || value.is_null()) {
                    if constexpr (IsOptional<Member>::value)
                        out.*(member.member) = std::nullopt;
                    else
                        fail(&step, absent ? "missing required member" : "required member is null");
                    return;
                }
                decodeValue(value, &step, out.*(member.member));
            };
            (decodeMember(members), ...);
        },
        fields(std::type_identity<Record> {}));
}

template <class T> void decodeValue(simdjson::dom::element element, const PathStep *path, std::vector<T> &out)
{
    simdjson::dom::array array;
    if (element.get_array().get(array)) fail(path, "expected an array");
    out.clear();
    out.reserve(array.size());
    std::size_t index = 0;
    for (simdjson::dom::element item : array) {
        const PathStep step { path, {}, index++ };
        decodeValue(item, &step, out.emplace_back());
    }
}

// Objects keyed by the service's own ids (the live feed's "ID123456" players).
template <class T> void decodeValue(simdjson::dom::element element, const PathStep *path, std::map<QString, T> &out)
{
    simdjson::dom::object object;
    if (element.get_object().get(object)) fail(path, "expected an object");
    out.clear();
    for (auto [key, value] : object) {
        const PathStep step { path, key, 0 };
        decodeValue(value, &step, out[QString::fromUtf8(key.data(), static_cast<qsizetype>(key.size()))]);
    }
}

template <class T> void decodeValue(simdjson::dom::element element, const PathStep *path, std::optional<T> &out)
{
    decodeValue(element, path, out.emplace());
}

template <class T> void decodeValue(simdjson::dom::element element, const PathStep *path, T &out)
{
    if constexpr (Described<T>)
        decodeRecord(element, path, out);
    else
        decodeScalar(element, path, out);
}

// Parses the bytes (a leading UTF-8 byte-order mark is skipped) with this
// thread's parser, reused across calls.
simdjson::dom::element parse(QByteArrayView bytes);

} // namespace decoding

// Decodes a whole answer into T. Throws ServiceError of kind Decoding that names
// the JSON path of the offending member.
template <class T> T decode(QByteArrayView bytes)
{
    T result {};
    decoding::decodeValue(decoding::parse(bytes), nullptr, result);
    return result;
}
