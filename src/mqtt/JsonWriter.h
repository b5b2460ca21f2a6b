#pragma once

#include <QByteArray>
#include <QString>

#include <cstdint>

namespace nimbar {

// Appends compact UTF-8 JSON in the order it is written (Qt's JSON classes sort the keys, and
// allocate more than a record a second per board should cost). Numbers are written in their
// shortest form that reads back as the same double; a value that is not finite becomes null.
class JsonWriter {
public:
    explicit JsonWriter(QByteArray& out) : m_out(out) {}

    void beginObject() {
        separate();
        m_out += '{';
        m_first = true;
    }
    void endObject() {
        m_out += '}';
        m_first = false;
    }
    void beginArray() {
        separate();
        m_out += '[';
        m_first = true;
    }
    void endArray() {
        m_out += ']';
        m_first = false;
    }
    // The key of the next value; the value calls follow it.
    void key(const char* name);
    void string(const QString& text);
    void number(double value);
    void integer(std::int64_t value);
    void boolean(bool value);
    // A value already in JSON form (a quoted text known to need no escapes).
    void raw(const QByteArray& json) {
        separate();
        m_out += json;
    }

    // Members: key and value in one call.
    void member(const char* name, const QString& text) {
        key(name);
        string(text);
    }
    void member(const char* name, double value) {
        key(name);
        number(value);
    }
    void memberInt(const char* name, std::int64_t value) {
        key(name);
        integer(value);
    }
    void member(const char* name, bool value) {
        key(name);
        boolean(value);
    }

private:
    void separate();

    QByteArray& m_out;
    bool m_first = true;
    bool m_afterKey = false;
};

} // namespace nimbar
