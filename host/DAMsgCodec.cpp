#include "host/DAMsgCodec.h"

#include <memory>

#include <google/protobuf/descriptor.h>
#include <google/protobuf/descriptor.pb.h>
#include <google/protobuf/dynamic_message.h>
#include <google/protobuf/message.h>
#include <google/protobuf/text_format.h>

namespace host {

namespace {

namespace pb = google::protobuf;

// DAMsg.proto, in the descriptor's text form.
const char* const kDescription = R"(
name: "DAMsg.proto" package: "DAMsg" syntax: "proto2"
message_type {
  name: "DailyActivity"
  field { name: "RoleID" number: 1 label: LABEL_REQUIRED type: TYPE_INT64 }
  field { name: "TempType" number: 2 label: LABEL_REQUIRED type: TYPE_INT32 }
  field { name: "CompleteNum" number: 3 label: LABEL_REQUIRED type: TYPE_INT32 }
  field { name: "IsOver" number: 4 label: LABEL_OPTIONAL type: TYPE_BOOL }
  field { name: "IsClear" number: 5 label: LABEL_OPTIONAL type: TYPE_BOOL }
})";

// A private pool, apart from the generated one.
struct Codec {
    pb::DescriptorPool pool;
    pb::DynamicMessageFactory factory{&pool};
    const pb::Descriptor* type = nullptr;

    Codec() {
        pb::FileDescriptorProto file;
        if (pb::TextFormat::ParseFromString(kDescription, &file)) {
            if (const pb::FileDescriptor* built = pool.BuildFile(file)) type = built->message_type(0);
        }
    }
    std::unique_ptr<pb::Message> New() { return std::unique_ptr<pb::Message>(factory.GetPrototype(type)->New()); }
};

Codec& TheCodec() {
    static Codec codec;
    return codec;
}

}  // namespace

std::string EncodeDailyActivity(const DailyActivityFields& fields) {
    Codec& codec = TheCodec();
    std::unique_ptr<pb::Message> message = codec.New();
    const pb::Reflection* r = message->GetReflection();
    const pb::Descriptor* d = codec.type;
    r->SetInt64(message.get(), d->FindFieldByNumber(1), fields.roleId);
    r->SetInt32(message.get(), d->FindFieldByNumber(2), fields.tempType);
    r->SetInt32(message.get(), d->FindFieldByNumber(3), fields.completeNum);
    if (fields.hasIsOver) r->SetBool(message.get(), d->FindFieldByNumber(4), fields.isOver);
    if (fields.hasIsClear) r->SetBool(message.get(), d->FindFieldByNumber(5), fields.isClear);
    return message->SerializeAsString();
}

bool DecodeDailyActivity(const void* data, size_t size, DailyActivityFields& out) {
    if (size > 0x7FFFFFFF) return false;
    Codec& codec = TheCodec();
    std::unique_ptr<pb::Message> message = codec.New();
    // Partial first, so that a missing required field is refused here without the runtime's
    // error line.
    if (!message->ParsePartialFromArray(data, static_cast<int>(size)) || !message->IsInitialized()) return false;
    const pb::Reflection* r = message->GetReflection();
    const pb::Descriptor* d = codec.type;
    DailyActivityFields fields;
    fields.roleId = r->GetInt64(*message, d->FindFieldByNumber(1));
    fields.tempType = r->GetInt32(*message, d->FindFieldByNumber(2));
    fields.completeNum = r->GetInt32(*message, d->FindFieldByNumber(3));
    fields.hasIsOver = r->HasField(*message, d->FindFieldByNumber(4));
    fields.isOver = r->GetBool(*message, d->FindFieldByNumber(4));
    fields.hasIsClear = r->HasField(*message, d->FindFieldByNumber(5));
    fields.isClear = r->GetBool(*message, d->FindFieldByNumber(5));
    out = fields;
    return true;
}

std::string DescribeDailyActivity(const DailyActivityFields& f) {
    std::string text = "RoleID " + std::to_string(f.roleId) + " TempType " + std::to_string(f.tempType) +
                       " CompleteNum " + std::to_string(f.completeNum);
    if (f.hasIsOver) text += std::string(" IsOver ") + (f.isOver ? "true" : "false");
    if (f.hasIsClear) text += std::string(" IsClear ") + (f.isClear ? "true" : "false");
    return text;
}

}  // namespace host
