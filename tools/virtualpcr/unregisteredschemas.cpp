// Linked only into libraries that are loaded into the program (see
// virtualpcr_embed). The program registers the wire schemas with the shared
// protobuf runtime when it starts, and registering the same schema file a
// second time aborts the process. So the library's own copy of the generated
// message classes is not registered: this no-op replaces the runner that
// registers each schema file at load time, and binds only inside the
// library. The machine uses the messages for binary serialisation and
// parsing only, which need no registration; reflection (descriptors, debug
// strings, enumerator names) must not be used by code in such a library.

#include <google/protobuf/generated_message_reflection.h>

namespace google::protobuf::internal {

AddDescriptorsRunner::AddDescriptorsRunner(const DescriptorTable *) {}

} // namespace google::protobuf::internal
