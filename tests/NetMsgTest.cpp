#include <gtest/gtest.h>

#include <climits>

#include <cstring>
#include <string>
#include <vector>

#include "DailyActivity/DAMsg.pb.h"
#include "event/Dispatcher.h"
#include "event/NetMsg.h"
#include "zor/Log.h"

namespace {

std::string Bytes(std::initializer_list<int> values) {
    std::string s;
    for (int v : values) s.push_back(static_cast<char>(v));
    return s;
}

TEST(NetMsg, LengthCountsHeadersAndData) {
    NetMsg msg(69, 3);
    EXPECT_EQ(msg.GetLength(), 6);
    char data[10] = {};
    ASSERT_TRUE(msg.AddChunk(data, 10, 3));
    EXPECT_EQ(msg.GetLength(), 20);
    EXPECT_EQ(msg.FindChunk(3)->ChunkSize, 14);
    EXPECT_EQ(msg.FindChunk(3)->GetDataSize(), 10);
    EXPECT_EQ(msg.FindChunk(4), nullptr);
    // Chunks by position: 0 .. count - 1, null on either side.
    EXPECT_EQ(msg.GetChunk(0), msg.FindChunk(3));
    EXPECT_EQ(msg.GetChunk(msg.GetChunkCount()), nullptr);
    EXPECT_EQ(msg.GetChunk(-1), nullptr);
    EXPECT_EQ(msg.GetModuleID(), 69);
    EXPECT_EQ(msg.GetMsgID(), 3);
}

TEST(NetMsg, AtMost256Chunks) {
    NetMsg msg(1, 1);
    int v = 0;
    for (int i = 0; i < 256; ++i) ASSERT_TRUE(msg.AddChunk(&v, 0, static_cast<uint16_t>(i)));
    EXPECT_FALSE(msg.AddChunk(&v, 0, 999));
    EXPECT_EQ(msg.GetChunkCount(), 256);
    EXPECT_EQ(msg.GetLength(), 6 + 256 * 4);
}

TEST(NetMsg, SizeLimits) {
    std::vector<char> big(64503, 'x');
    NetMsg fits(1, 1);
    ASSERT_TRUE(fits.AddChunk(big.data(), 64502, 1));
    EXPECT_EQ(fits.GetLength(), 64512);
    EXPECT_FALSE(fits.AddChunk(big.data(), 0, 2));
    NetMsg tooBig(1, 1);
    EXPECT_FALSE(tooBig.AddChunk(big.data(), 64503, 1));
    EXPECT_FALSE(tooBig.AddChunk(big.data(), 64507, 1));
    EXPECT_FALSE(tooBig.AddChunk(big.data(), -1, 1));
    EXPECT_FALSE(tooBig.AddChunk(big.data(), INT_MAX, 1));  // refused before the length is summed
    EXPECT_FALSE(tooBig.AddChunk(nullptr, 0, 1));
    EXPECT_EQ(tooBig.GetLength(), 6);
    EXPECT_EQ(tooBig.GetChunkCount(), 0);
}

TEST(NetMsg, FirstOfTwoEqualIdsIsFound) {
    NetMsg msg(1, 1);
    int a = 1, b = 2;
    msg.AddChunk(&a, 4, 7);
    msg.AddChunk(&b, 4, 7);
    int read = 0;
    std::memcpy(&read, msg.FindChunk(7)->GetData(), 4);
    EXPECT_EQ(read, 1);
}

TEST(NetMsg, BytesAreLittleEndianHeaderThenChunks) {
    NetMsg msg(69, 4);
    int index = 2, item = 0;
    msg.AddChunk(&index, 4, 4);
    msg.AddChunk(&item, 4, 5);
    EXPECT_EQ(msg.ToBytes(), Bytes({69, 0, 4, 0, 22, 0, 4, 0, 8, 0, 2, 0, 0, 0, 5, 0, 8, 0, 0, 0, 0, 0}));
}

// A message read again from its own bytes: whole, or a frame carried in one of its chunks
// (the copy overlaps itself).
TEST(NetMsg, ReadsAFrameFromItsOwnBytes) {
    NetMsg msg(69, 4);
    int index = 2, item = 1;
    msg.AddChunk(&index, 4, 4);
    msg.AddChunk(&item, 4, 5);
    const std::string before = msg.ToBytes();
    ASSERT_TRUE(msg.ReadFrame(msg.GetBytes(), msg.GetLength()));
    EXPECT_EQ(msg.ToBytes(), before);

    NetMsg inner(69, 7);
    const std::string text = "twenty bytes of data";
    inner.AddChunk(text.data(), static_cast<int>(text.size()), 9);
    const std::string frame = inner.ToBytes();
    NetMsg outer(1, 1);
    outer.AddChunk(frame.data(), static_cast<int>(frame.size()), 0);
    const NetMsgChunk* carried = outer.FindChunk(0);
    ASSERT_TRUE(outer.ReadFrame(carried->GetData(), static_cast<size_t>(carried->GetDataSize())));
    EXPECT_EQ(outer.ToBytes(), frame);
    EXPECT_EQ(outer.GetMsgID(), 7);
}

TEST(NetMsg, BuffersComeBackToThePool) {
    { NetMsg warm(1, 1); }
    size_t pooled = zor::PooledBufferCount();
    ASSERT_GE(pooled, 1u);
    {
        NetMsg msg(1, 1);
        EXPECT_EQ(zor::PooledBufferCount(), pooled - 1);
    }
    EXPECT_EQ(zor::PooledBufferCount(), pooled);
}

TEST(VerifyChunk, ChecksTheExactSizeAndCopiesOut) {
    NetMsg msg(69, 6);
    long long wide = -5000000000LL;
    int narrow = 42;
    msg.AddChunk(&narrow, 4, 3);  // data at an odd offset of the buffer? at least unaligned for 8 bytes
    msg.AddChunk(&wide, 8, 6);
    int i = 0;
    __int64 w = 0;
    EXPECT_TRUE(VerifyChunk(i, msg.FindChunk(3)));
    EXPECT_EQ(i, 42);
    EXPECT_TRUE(VerifyChunk(w, msg.FindChunk(6)));
    EXPECT_EQ(w, -5000000000LL);
    const int* inPlace = nullptr;
    EXPECT_TRUE(VerifyChunk<int>(inPlace, msg.FindChunk(3)));
    EXPECT_EQ(reinterpret_cast<const uint8_t*>(inPlace), msg.FindChunk(3)->GetData());

    zor::LogCapture capture;
    EXPECT_FALSE(VerifyChunk(i, msg.FindChunk(6)));
    EXPECT_FALSE(VerifyChunk(w, static_cast<const NetMsgChunk*>(nullptr)));
    ASSERT_EQ(capture.Records().size(), 4u);
    EXPECT_EQ(capture.Records()[0].text, "VerifyChunk() error : class=int ChunkID==6 ChunkSize=12");
    EXPECT_EQ(capture.Records()[0].level, 3);
    EXPECT_EQ(capture.Records()[1].kind, zor::LogKind::CallStack);
    // The type's name as the platform's type information prints it ("__int64", "long long").
    EXPECT_EQ(capture.Records()[2].text, "VerifyChunk() error : class=" + platform::TypeName(typeid(__int64)) + " Chunk==NULL");
    EXPECT_EQ(i, 42);
}

TEST(NetMsgChunkCast, ParsesTheServerMessage) {
    NetMsg msg(69, 0);
    std::string wire = Bytes({0x08, 0x01, 0x10, 0x02, 0x18, 0x03});
    msg.AddChunk(wire.data(), static_cast<int>(wire.size()), 0);
    DAMsg::DailyActivity da;
    ASSERT_TRUE(NetMsgChunkCast(da, &msg, 0));
    EXPECT_EQ(da.roleid(), 1);
    EXPECT_EQ(da.temptype(), 2);
    EXPECT_EQ(da.completenum(), 3);
    EXPECT_FALSE(da.isover());
}

TEST(NetMsgChunkCast, FailuresAreLogged) {
    zor::LogCapture capture;
    DAMsg::DailyActivity da;
    EXPECT_FALSE(NetMsgChunkCast(da, nullptr, 0));
    NetMsg msg(69, 0);
    EXPECT_FALSE(NetMsgChunkCast(da, &msg, 0));
    std::string partial = Bytes({0x08, 0x01, 0x10, 0x02});  // CompleteNum missing
    msg.AddChunk(partial.data(), 4, 0);
    testing::internal::CaptureStderr();
    EXPECT_FALSE(NetMsgChunkCast(da, &msg, 0));
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");  // only our own log line tells of it
    std::vector<std::string> texts;
    for (const auto& r : capture.Records()) {
        if (r.kind == zor::LogKind::Level) texts.push_back(r.text);
    }
    EXPECT_EQ(texts, (std::vector<std::string>{
                         "NetMsgChunkCast() error nmsg is null",
                         "NetMsgChunkCast() error with ModuleID(69) MsgID(0) : Chunk(0) not found",
                         "NetMsgChunkCast() error with ModuleID(69) MsgID(0) Chunk(0) : ParseFromString() return false"}));
    EXPECT_EQ(capture.Records().size(), 6u);
}

TEST(DAMsgWire, FieldsKeysAndUnknownFields) {
    DAMsg::DailyActivity da;
    ASSERT_TRUE(da.ParseFromString(Bytes({0x08, 0x01, 0x10, 0x02, 0x18, 0x03, 0x20, 0x01})));
    EXPECT_TRUE(da.isover());
    EXPECT_FALSE(da.has_isclear());
    EXPECT_EQ(da.SerializeAsString(), Bytes({0x08, 0x01, 0x10, 0x02, 0x18, 0x03, 0x20, 0x01}));

    DAMsg::DailyActivity negative;
    negative.set_roleid(7);
    negative.set_temptype(-1);
    negative.set_completenum(0);
    negative.set_isclear(true);
    std::string wire = negative.SerializeAsString();
    EXPECT_EQ(wire.size(), 2u + 11u + 2u + 2u);  // a negative int32 takes ten varint bytes
    EXPECT_EQ(static_cast<unsigned char>(wire[15]), 0x28);

    DAMsg::DailyActivity withUnknown;
    std::string extra = Bytes({0x08, 0x01, 0x10, 0x02, 0x18, 0x03, 0x30, 0x09});  // field 6
    ASSERT_TRUE(withUnknown.ParseFromString(extra));
    EXPECT_EQ(withUnknown.SerializeAsString(), extra);

    DAMsg::DailyActivity missing;
    EXPECT_FALSE(missing.ParseFromString(Bytes({0x08, 0x01, 0x10, 0x02})));
    EXPECT_FALSE(missing.ParseFromString(Bytes({0x08})));
}

TEST(ReadFrame, AcceptsWhatAddChunkBuilt) {
    NetMsg sent(69, 4);
    int a = 2, b = 0;
    sent.AddChunk(&a, 4, 4);
    sent.AddChunk(&b, 4, 5);
    std::string bytes = sent.ToBytes();
    NetMsg received(0, 0);
    ASSERT_TRUE(received.ReadFrame(bytes.data(), bytes.size()));
    EXPECT_EQ(received.GetModuleID(), 69);
    EXPECT_EQ(received.GetMsgID(), 4);
    EXPECT_EQ(received.GetChunkCount(), 2);
    int read = -1;
    EXPECT_TRUE(VerifyChunk(read, received.FindChunk(4)));
    EXPECT_EQ(read, 2);
    EXPECT_EQ(received.ToBytes(), bytes);
}

TEST(ReadFrame, RefusesFramesWhoseLengthsLie) {
    NetMsg sent(69, 0);
    int a = 9;
    sent.AddChunk(&a, 4, 0);
    const std::string good = sent.ToBytes();  // 6 + 8 bytes

    std::vector<std::string> bad;
    bad.push_back(good.substr(0, 5));                    // no whole header
    bad.push_back(good.substr(0, 13));                   // header says 14
    std::string longer = good + "x";                     // header says 14, frame 15
    bad.push_back(longer);
    std::string cut = good;                              // chunk claims more than is there
    cut[8] = 9;
    bad.push_back(cut);
    std::string tiny = good;                             // chunk size below its header
    tiny[8] = 3;
    bad.push_back(tiny);
    std::string zero = good;
    zero[8] = 0;
    bad.push_back(zero);
    std::string stray = Bytes({69, 0, 0, 0, 8, 0, 1, 0});  // 2 bytes: not a chunk header
    bad.push_back(stray);
    std::string headerOnly = Bytes({69, 0, 0, 0, 7, 0});
    bad.push_back(headerOnly);

    for (const std::string& frame : bad) {
        NetMsg received(1, 2);
        zor::LogCapture capture;
        EXPECT_FALSE(received.ReadFrame(frame.data(), frame.size())) << frame.size();
        EXPECT_EQ(received.GetLength(), 6);
        EXPECT_EQ(received.GetChunkCount(), 0);
        EXPECT_EQ(received.GetModuleID(), 1);
        ASSERT_FALSE(capture.Records().empty());
        EXPECT_EQ(capture.Records()[0].level, 3);
        EXPECT_EQ(capture.Records()[0].text.rfind("NetMsg::ReadFrame() error : frame refused, ", 0), 0u);
    }
    NetMsg received(1, 2);
    zor::LogCapture capture;
    EXPECT_FALSE(received.ReadFrame(nullptr, 6));
    // The length limit on its own: one chunk that fills the frame, valid in every other way.
    for (const size_t size : {size_t{64512}, size_t{64513}}) {
        std::string frame(size, 'x');
        const uint16_t head[3] = {69, 0, static_cast<uint16_t>(size)};
        const uint16_t chunk[2] = {0, static_cast<uint16_t>(size - 6)};
        std::memcpy(&frame[0], head, sizeof head);
        std::memcpy(&frame[6], chunk, sizeof chunk);
        capture.Clear();
        EXPECT_EQ(received.ReadFrame(frame.data(), frame.size()), size == 64512) << size;
        if (size > 64512) {
            ASSERT_FALSE(capture.Records().empty());
            EXPECT_EQ(capture.Records()[0].text, "NetMsg::ReadFrame() error : frame refused, longer than 64512 bytes");
        }
    }
}

TEST(ReadFrame, RefusesA257thChunk) {
    std::string frame = Bytes({1, 0, 1, 0, 0, 0});
    for (int i = 0; i < 257; ++i) frame += Bytes({0, 0, 4, 0});
    uint16_t length = static_cast<uint16_t>(frame.size());
    std::memcpy(&frame[4], &length, 2);
    NetMsg received(0, 0);
    zor::LogCapture capture;
    EXPECT_FALSE(received.ReadFrame(frame.data(), frame.size()));
    frame.resize(frame.size() - 4);
    length = static_cast<uint16_t>(frame.size());
    std::memcpy(&frame[4], &length, 2);
    EXPECT_TRUE(received.ReadFrame(frame.data(), frame.size()));
    EXPECT_EQ(received.GetChunkCount(), 256);
}

struct Sender : ISender {};

struct Handlers {
    std::vector<std::string> journal;
    MsgDispatcher* dispatcher = nullptr;
    void A(ISender*, const NetMsg* m) { journal.push_back("A" + std::to_string(m->GetMsgID())); }
    void B(ISender*, const NetMsg* m) { journal.push_back("B" + std::to_string(m->GetMsgID())); }
    void Once(ISender*, const NetMsg* m) {
        journal.push_back("once");
        dispatcher->Unregister(m->GetMsgID());
    }
};

TEST(Dispatcher, FirstRegistrationWinsAndUnknownIdsAreDropped) {
    Handlers h;
    MsgDispatcher d;
    using zor::bind_n::bind;
    EXPECT_TRUE(d.Register(3, MsgHandler(bind(&Handlers::A, &h))));
    EXPECT_FALSE(d.Register(3, MsgHandler(bind(&Handlers::B, &h))));
    Sender s;
    NetMsg three(69, 3), four(69, 4);
    d(&s, &three);
    d(&s, &four);
    d(nullptr, &three);
    d(&s, nullptr);
    EXPECT_EQ(h.journal, std::vector<std::string>{"A3"});
    EXPECT_TRUE(d.Find(4).IsEmpty());
    EXPECT_TRUE(d.Unregister(3));
    EXPECT_FALSE(d.Unregister(3));
}

TEST(Dispatcher, HandlerMayUnregisterItselfWhileRunning) {
    Handlers h;
    MsgDispatcher d;
    h.dispatcher = &d;
    d.Register(1, MsgHandler(zor::bind_n::bind(&Handlers::Once, &h)));
    Sender s;
    NetMsg one(69, 1);
    d(&s, &one);
    d(&s, &one);
    EXPECT_EQ(h.journal, std::vector<std::string>{"once"});
}

TEST(Dispatcher, CopyIsIndependentAndComparesByEntries) {
    Handlers h;
    MsgDispatcher d;
    using zor::bind_n::bind;
    d.Register(0, MsgHandler(bind(&Handlers::A, &h)));
    d.Register(1, MsgHandler(bind(&Handlers::B, &h)));
    zor::Function<void(ISender*, const NetMsg*)> held(d);
    zor::Function<void(ISender*, const NetMsg*)> same(d);
    EXPECT_TRUE(held == same);
    // Equal entries whatever the order the tables iterate in: registered the other way round,
    // and a copy of a copy (a hash table's copy may iterate in another order).
    MsgDispatcher reversed;
    reversed.Register(1, MsgHandler(bind(&Handlers::B, &h)));
    reversed.Register(0, MsgHandler(bind(&Handlers::A, &h)));
    EXPECT_TRUE(d == reversed);
    EXPECT_TRUE(MsgDispatcher(MsgDispatcher(d)) == d);
    MsgDispatcher other;
    other.Register(0, MsgHandler(bind(&Handlers::A, &h)));
    other.Register(1, MsgHandler(bind(&Handlers::A, &h)));
    EXPECT_FALSE(d == other);
    d.Unregister(1);
    zor::Function<void(ISender*, const NetMsg*)> changed(d);
    EXPECT_FALSE(held == changed);
    Sender s;
    NetMsg one(69, 1);
    held(&s, &one);  // the copy still has id 1
    EXPECT_EQ(h.journal, std::vector<std::string>{"B1"});
    d.UnregisterAll();
    EXPECT_EQ(d.Size(), 0u);
}

}  // namespace
