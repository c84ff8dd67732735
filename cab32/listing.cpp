#include "listing.h"

#include <cstdio>

#include "extract_job.h"
#include "member_record.h"

namespace cab32 {

namespace {

constexpr char kRule[] = "------------ ---------- -------- -------- ------------------------";

std::string Format(const char* format, auto... values) {
    char buffer[128];
    std::snprintf(buffer, sizeof buffer, format, values...);
    return buffer;
}

}  // namespace

std::string FormatDosDate(std::uint16_t date) {
    return Format("%04u/%02u/%02u", 1980u + (date >> 9), (date >> 5) & 0x0Fu, date & 0x1Fu);
}

std::string FormatDosTime(std::uint16_t time) {
    return Format("%02u:%02u:%02u", time >> 11, (time >> 5) & 0x3Fu, (time & 0x1Fu) * 2u);
}

void WriteListing(const std::string& cabinetPath, const CabDirectory& directory, OutputText& output) {
    output.Line("書庫: " + cabinetPath);
    output.Line("        サイズ     日付     時刻   圧縮法   名前");
    output.Line(kRule);
    std::uint64_t total = 0;
    for (const CabMember& member : directory.members) {
        const std::uint16_t compression =
            member.folderIndex < directory.folders.size() ? directory.folders[member.folderIndex].compression : 0;
        char buffer[16];
        const std::string method = member.folderIndex < directory.folders.size()
                                       ? CompressionName(compression, buffer)
                                       : "分割";
        output.Line(Format("%12lu %s %s %-8s ", static_cast<unsigned long>(member.size),
                           FormatDosDate(member.date).c_str(), FormatDosTime(member.time).c_str(), method.c_str()) +
                    MemberNameAsAnsi(member));
        total += member.size;
    }
    output.Line(kRule);
    output.Line(Format("%12llu 合計 %u ファイル", static_cast<unsigned long long>(total),
                       static_cast<unsigned>(directory.members.size())));
}

}  // namespace cab32
