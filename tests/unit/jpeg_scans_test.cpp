// A picture of more scans than any encoder writes is refused, and a stop
// is seen between scans. (Damaged data is the corpus's: tests/corpus.)
#include <gtest/gtest.h>

#include "engine/jpeg_reader.h"

// The streaming decoder's fuzz seed: a sound progression of 501 scans.
TEST(JpegScans, MoreThan500AreRefusedAndAStopIsSeenBetweenThem) {
    const std::string many = std::string(KERFEL_TEST_DIR) + "/fuzz/corpus/jpeg_stream/scans-501";
    kerfel::JpegReader refused, stopped;
    ASSERT_TRUE(refused.Open(many).ok());
    refused.AcceptDamage(true);  // too many scans is no damage to look past
    EXPECT_EQ(refused.Start().message,
              many + ": the JPEG has more than 500 scans (a picture needs a few dozen); it is refused");

    ASSERT_TRUE(stopped.Open(many).ok());
    int polls = 0;
    stopped.StopWhen([&] { return ++polls == 3; });
    EXPECT_EQ(stopped.Start().fault, kerfel::Fault::Cancelled);
    EXPECT_EQ(polls, 3);
}
