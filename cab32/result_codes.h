// Results of the library's Cab entry point. 0 is success; every failure kind
// has its own code, and the output text names the file concerned.
#pragma once

namespace cab32 {

enum ResultCode : int {
    kOk = 0,
    kBadCommand = 1,          // unknown switch, no operation, no archive name
    kListFileUnreadable = 2,  // a list file after "@" cannot be read
    kArchiveExists = 3,       // -a: the cabinet (or a volume of it) already exists
    kArchiveNotFound = 4,     // the cabinet, or a volume of a set, is missing
    kNotCabinet = 5,          // not a cabinet, truncated or damaged tables, or a next volume
                              // that is no new cabinet of the set (read before, another set
                              // ID, an index out of order, past the last index)
    kSourceUnreadable = 6,    // -a: a file to store is missing or unreadable
    kWriteFailed = 7,         // a cabinet, folder or extracted file cannot be written
    kDataError = 8,           // decompression or checksum failure
    kUnsafeName = 9,          // a member would leave the target folder (refused)
    kMemberNotFound = 10,     // a name asked for is not in the cabinet
    kMemberSkipped = 11,      // a member lies partly in a volume not followed
    kBusy = 12,               // Cab was called while another call was at work
    kNoFiles = 13,            // -a: the list names no file
    kStubMissing = 14,        // -f: the self-extractor stub is not available
    kInternal = 15,           // the cabinet API failed for another reason
};

}  // namespace cab32
