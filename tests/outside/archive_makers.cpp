#include "archive_makers.h"

#include <archive.h>
#include <archive_entry.h>
#include <zlib.h>

#include <algorithm>
#include <stdexcept>

namespace makers {

namespace {

void Put16(Bytes& out, std::uint32_t v) {
  out.push_back(static_cast<std::uint8_t>(v));
  out.push_back(static_cast<std::uint8_t>(v >> 8));
}

void Put32(Bytes& out, std::uint32_t v) {
  Put16(out, v & 0xFFFF);
  Put16(out, v >> 16);
}

void PutVint(Bytes& out, std::uint64_t v) {
  do {
    std::uint8_t byte = v & 0x7F;
    v >>= 7;
    if (v) byte |= 0x80;
    out.push_back(byte);
  } while (v);
}

std::uint32_t Crc(const void* data, size_t size) {
  return static_cast<std::uint32_t>(crc32(0, static_cast<const Bytef*>(data), static_cast<uInt>(size)));
}

std::uint32_t Crc(const std::string& text) { return Crc(text.data(), text.size()); }

// A RAR 4 block: the header CRC covers everything after itself.
void PutRar4Block(Bytes& out, const Bytes& body) {
  Put16(out, Crc(body.data(), body.size()) & 0xFFFF);
  out.insert(out.end(), body.begin(), body.end());
}

// A RAR 5 header: CRC32, size, then the header fields.
void PutRar5Header(Bytes& out, const Bytes& fields) {
  Bytes sized;
  PutVint(sized, fields.size());
  sized.insert(sized.end(), fields.begin(), fields.end());
  Put32(out, Crc(sized.data(), sized.size()));
  out.insert(out.end(), sized.begin(), sized.end());
}

}  // namespace

Bytes MakeZip(const std::vector<Entry>& entries, ZipMethod method, bool zip64) {
  std::vector<char> buffer(8u << 20);
  size_t used = 0;
  archive* writer = archive_write_new();
  archive_write_set_format_zip(writer);
  archive_write_set_options(writer, method == ZipMethod::kStore ? "zip:compression=store" : "zip:compression=deflate");
  if (zip64) archive_write_set_options(writer, "zip:zip64=1");
  archive_write_set_bytes_in_last_block(writer, 1);
  if (archive_write_open_memory(writer, buffer.data(), buffer.size(), &used) != ARCHIVE_OK) {
    throw std::runtime_error("zip writer");
  }
  for (const Entry& e : entries) {
    archive_entry* entry = archive_entry_new();
    archive_entry_set_pathname(entry, e.name.c_str());
    archive_entry_set_filetype(entry, e.folder ? AE_IFDIR : AE_IFREG);
    archive_entry_set_perm(entry, e.folder ? 0755 : 0644);
    archive_entry_set_size(entry, e.folder ? 0 : static_cast<la_int64_t>(e.data.size()));
    archive_entry_set_mtime(entry, 1000000000, 0);
    archive_write_header(writer, entry);
    if (!e.folder && !e.data.empty()) archive_write_data(writer, e.data.data(), e.data.size());
    archive_entry_free(entry);
  }
  archive_write_close(writer);
  archive_write_free(writer);
  return Bytes(buffer.begin(), buffer.begin() + static_cast<std::ptrdiff_t>(used));
}

Bytes MakeRar4(const std::vector<Entry>& entries) {
  Bytes out = {0x52, 0x61, 0x72, 0x21, 0x1A, 0x07, 0x00};
  Bytes main = {0x73};
  Put16(main, 0);   // flags
  Put16(main, 13);  // header size
  Put16(main, 0);
  Put32(main, 0);
  PutRar4Block(out, main);
  for (const Entry& e : entries) {
    const std::uint32_t size = e.folder ? 0 : static_cast<std::uint32_t>(e.data.size());
    Bytes file = {0x74};
    Put16(file, 0x8000 | (e.folder ? 0x00E0 : 0));
    Put16(file, static_cast<std::uint32_t>(32 + e.name.size()));
    Put32(file, size);  // packed
    Put32(file, size);  // unpacked
    file.push_back(2);  // Windows
    Put32(file, e.folder ? 0 : Crc(e.data) ^ (e.bad_crc ? 0x1234 : 0));
    Put32(file, 0x2D2A6000);  // 2002-09-10 12:00
    file.push_back(e.rar4_version);
    file.push_back(e.rar4_method);
    Put16(file, static_cast<std::uint32_t>(e.name.size()));
    Put32(file, e.folder ? 0x10 : 0x20);
    file.insert(file.end(), e.name.begin(), e.name.end());
    PutRar4Block(out, file);
    if (!e.folder) out.insert(out.end(), e.data.begin(), e.data.end());
  }
  Bytes end = {0x7B};
  Put16(end, 0x4000);
  Put16(end, 7);
  PutRar4Block(out, end);
  return out;
}

Bytes MakeRar4Block(std::uint64_t declared_size, const std::string& data, bool unix_link) {
  const bool large = declared_size >> 32 != 0;
  const std::string name = unix_link ? "link" : "CMT";
  Bytes block = {static_cast<std::uint8_t>(unix_link ? 0x74 : 0x7A)};
  Put16(block, 0x8000 | (large ? 0x0100 : 0));
  Put16(block, static_cast<std::uint32_t>((large ? 40 : 32) + name.size()));
  Put32(block, static_cast<std::uint32_t>(declared_size));  // packed
  Put32(block, static_cast<std::uint32_t>(data.size()));    // unpacked
  block.push_back(3);                                       // Unix
  Put32(block, Crc(data));
  Put32(block, 0x2D2A6000);
  block.push_back(29);
  block.push_back(0x30);
  Put16(block, static_cast<std::uint32_t>(name.size()));
  Put32(block, unix_link ? 0xA1FF : 0x81A4);  // the mode
  if (large) {
    Put32(block, static_cast<std::uint32_t>(declared_size >> 32));
    Put32(block, 0);
  }
  block.insert(block.end(), name.begin(), name.end());
  Bytes out;
  PutRar4Block(out, block);
  out.insert(out.end(), data.begin(), data.end());
  return out;
}

Bytes MakeRar5(const std::vector<Entry>& entries) {
  Bytes out = {0x52, 0x61, 0x72, 0x21, 0x1A, 0x07, 0x01, 0x00};
  PutRar5Header(out, {1, 0, 0});  // main header: no flags
  for (const Entry& e : entries) {
    const std::uint64_t size = e.folder ? 0 : e.data.size();
    Bytes file;
    PutVint(file, 2);  // file header
    PutVint(file, 2);  // data area follows, empty for folders
    PutVint(file, size);
    PutVint(file, e.folder ? 1 : 4);  // folder, or CRC32 present
    PutVint(file, size);
    PutVint(file, e.folder ? 0x10 : 0x20);
    if (!e.folder) Put32(file, Crc(e.data) ^ (e.bad_crc ? 0x1234 : 0));
    PutVint(file, 0);  // version 0, stored
    PutVint(file, 0);  // Windows
    PutVint(file, e.name.size());
    file.insert(file.end(), e.name.begin(), e.name.end());
    PutRar5Header(out, file);
    if (!e.folder) out.insert(out.end(), e.data.begin(), e.data.end());
  }
  PutRar5Header(out, {5, 0, 0});  // end of archive
  return out;
}

bool CorruptFirst(Bytes& archive, const std::string& needle) {
  const auto at = std::search(archive.begin(), archive.end(), needle.begin(), needle.end());
  if (at == archive.end()) return false;
  *at ^= 0x55;
  return true;
}

}  // namespace makers
