#pragma once
// Reads an export file's bytes field by field, independently of the
// archive classes, and checks one stored job against the record it came
// from.

#include "controls/CJobListData.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <string>

namespace qvtest {

// Reads the file's little-endian fields one by one, independently of the
// archive classes.
class Decoder {
public:
    explicit Decoder(std::string bytes) : m_bytes(std::move(bytes)) {}
    uint64_t Unsigned(int width)
    {
        uint64_t value = 0;
        for (int i = 0; i < width; ++i)
            value |= uint64_t(static_cast<unsigned char>(m_bytes.at(m_pos++))) << (8 * i);
        return value;
    }
    int32_t Long() { return static_cast<int32_t>(Unsigned(4)); }
    double Double()
    {
        const uint64_t bits = Unsigned(8);
        double value;
        std::memcpy(&value, &bits, sizeof value);
        return value;
    }
    std::string Text(size_t length)
    {
        std::string text = m_bytes.substr(m_pos, length);
        EXPECT_EQ(text.size(), length);
        m_pos += length;
        return text;
    }
    std::string LongString() { return Text(static_cast<size_t>(Unsigned(4))); }
    bool AtEnd() const { return m_pos == m_bytes.size(); }

private:
    std::string m_bytes;
    size_t m_pos = 0;
};

inline void ExpectRecord(Decoder& d, const CJobListData& job)
{
    EXPECT_EQ(d.Long(), job.m_jobNumber);
    EXPECT_EQ(d.Double(), job.m_lastDate);
    EXPECT_EQ(d.Double(), job.m_nextDate);
    EXPECT_EQ(d.Double(), job.m_thisDate);
    EXPECT_EQ(d.LongString(), job.m_what);
    EXPECT_EQ(d.LongString(), job.m_interval);
    EXPECT_EQ(d.Unsigned(1), job.m_broken ? 1u : 0u);
    EXPECT_EQ(d.Unsigned(1), job.m_running ? 1u : 0u);
    EXPECT_EQ(d.Long(), job.m_failures);
    EXPECT_EQ(d.LongString(), job.m_logUser);
    EXPECT_EQ(d.LongString(), job.m_privUser);
    EXPECT_EQ(d.LongString(), job.m_schemaUser);
    EXPECT_EQ(d.Long(), job.m_totalTime);
    EXPECT_EQ(d.Unsigned(1), job.m_reserved ? 1u : 0u);
    EXPECT_EQ(d.Unsigned(1), job.m_parse ? 1u : 0u);
    EXPECT_EQ(d.Long(), job.m_instance);
    EXPECT_EQ(d.Unsigned(1), job.m_force ? 1u : 0u);
}

} // namespace qvtest
