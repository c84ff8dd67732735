// Fuzz target: a whole cabinet through the structure reader and, for every
// folder it accepts, the folder reader and its decoder to the end.
#include "folder_reader.h"
#include "test_streams.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const tarvik::testing::MemoryCabSource source(data, size);
    cab32::CabDirectory directory;
    const cab32::CabFault fault = cab32::ReadCabDirectory(source, directory, true);
    if (fault != cab32::CabFault::None && fault != cab32::CabFault::UnknownCompression) return 0;
    cab32::VerifyDataChecksums(source, directory);
    for (const cab32::CabFolder& folder : directory.folders) {
        cab32::FolderReader reader(folder.compression);
        if (!reader.Supported()) continue;
        reader.StartPart(source, directory, folder);
        std::span<const std::uint8_t> frame;
        while (reader.Next(frame) == cab32::FolderReader::Step::Frame) {
        }
    }
    return 0;
}
