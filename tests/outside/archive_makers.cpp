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
    const std::string& body = e.packed.empty() ? e.data : e.packed;
    Bytes file = {0x74};
    Put16(file, 0x8000 | (e.folder ? 0x00E0 : 0) | (e.solid ? 0x0010 : 0));
    Put16(file, static_cast<std::uint32_t>(32 + e.name.size()));
    Put32(file, e.folder ? 0 : static_cast<std::uint32_t>(body.size()));
    Put32(file, e.declared_size ? e.declared_size : size);
    file.push_back(2);  // Windows
    Put32(file, e.folder ? 0 : Crc(e.data) ^ (e.bad_crc ? 0x1234 : 0));
    Put32(file, 0x2D2A6000);  // 2002-09-10 12:00
    file.push_back(e.rar4_version);
    file.push_back(e.rar4_method);
    Put16(file, static_cast<std::uint32_t>(e.name.size()));
    Put32(file, e.folder ? 0x10 : 0x20);
    file.insert(file.end(), e.name.begin(), e.name.end());
    PutRar4Block(out, file);
    if (!e.folder) out.insert(out.end(), body.begin(), body.end());
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

namespace {

// Bits from each byte's top down, as RAR reads them.
class BitWriter {
 public:
  void Put(std::uint32_t value, int bits) {
    for (int i = bits - 1; i >= 0; --i) {
      if (used_ % 8 == 0) out_.push_back('\0');
      if ((value >> i) & 1) out_.back() = static_cast<char>(out_.back() | (0x80 >> (used_ % 8)));
      ++used_;
    }
  }
  std::string bytes() const { return out_; }

 private:
  std::string out_;
  std::size_t used_ = 0;
};

// Finds the slot whose base (plus offset) and extra bits reach value; bases and bits of RAR 2.0.
void PutSlot(BitWriter& w, std::uint32_t value, const std::uint32_t* base, const int* bits, int slots, int first,
             int code_bits) {
  for (int i = slots - 1; i >= 0; --i) {
    if (base[i] <= value) {
      w.Put(static_cast<std::uint32_t>(first + i), code_bits);
      w.Put(value - base[i], bits[i]);
      return;
    }
  }
  throw std::runtime_error("no slot");
}

}  // namespace

std::string PackRar20(const std::vector<Rar20Step>& steps, bool with_tables) {
  static const std::uint32_t kLengthBase[28] = {0,  1,  2,  3,  4,  5,  6,  7,  8,  10,  12,  14,  16,  20,
                                                24, 28, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224};
  static const int kLengthBits[28] = {0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 2, 2,
                                      2, 2, 3, 3, 3, 3, 4, 4, 4, 4, 5, 5, 5, 5};
  static const std::uint32_t kDistanceBase[26] = {0,  1,   2,   3,   4,   6,   8,   12,   16,   24,   32,   48,   64,
                                                  96, 128, 192, 256, 384, 512, 768, 1024, 1536, 2048, 3072, 4096, 6144};
  static const int kDistanceBits[26] = {0, 0, 0, 0, 1, 1, 2, 2, 3, 3,  4,  4,  5,
                                        5, 6, 6, 7, 7, 8, 8, 9, 9, 10, 10, 11, 11};
  BitWriter w;
  if (with_tables) {
    // Not audio, fresh lengths; every length code 5 bits long, so its symbol is its code. Then
    // main symbols 9 bits, distances 6 and lengths 5, again each symbol its own code.
    w.Put(0, 2);
    for (int i = 0; i < 19; ++i) w.Put(5, 4);
    for (int i = 0; i < 298; ++i) w.Put(9, 5);
    for (int i = 0; i < 48; ++i) w.Put(6, 5);
    for (int i = 0; i < 28; ++i) w.Put(5, 5);
  }
  for (const Rar20Step& step : steps) {
    for (char c : step.literals) w.Put(static_cast<std::uint8_t>(c), 9);
    if (step.length) {
      PutSlot(w, step.length - 3, kLengthBase, kLengthBits, 28, 270, 9);
      PutSlot(w, step.distance - 1, kDistanceBase, kDistanceBits, 26, 0, 6);
    }
    for (std::uint32_t i = 0; i < step.repeats; ++i) w.Put(256, 9);
  }
  return w.bytes();
}

bool RenameRar4Member(Bytes& archive, const std::string& prefix, const std::string& name) {
  for (size_t at = 7; at + 32 <= archive.size();) {
    const std::uint32_t flags = archive[at + 3] | (archive[at + 4] << 8);
    const size_t size = archive[at + 5] | (archive[at + 6] << 8);
    size_t next = at + size;
    if (archive[at + 2] == 0x74 || (flags & 0x8000)) {
      next += archive[at + 7] | (archive[at + 8] << 8) | (archive[at + 9] << 16) | (size_t{archive[at + 10]} << 24);
    }
    if (size < 7) return false;
    const auto old_name = archive.begin() + static_cast<std::ptrdiff_t>(at + 32);
    if (archive[at + 2] == 0x74 && at + 32 + prefix.size() <= archive.size() &&
        std::equal(prefix.begin(), prefix.end(), old_name)) {
      Bytes header(archive.begin() + static_cast<std::ptrdiff_t>(at + 2), old_name);
      header.insert(header.end(), name.begin(), name.end());
      header[1] = static_cast<std::uint8_t>(flags & ~0x0200u);
      header[3] = static_cast<std::uint8_t>(header.size() + 2);
      header[4] = static_cast<std::uint8_t>((header.size() + 2) >> 8);
      header[24] = static_cast<std::uint8_t>(name.size());
      header[25] = static_cast<std::uint8_t>(name.size() >> 8);
      Bytes block;
      PutRar4Block(block, header);
      archive.erase(archive.begin() + static_cast<std::ptrdiff_t>(at),
                    archive.begin() + static_cast<std::ptrdiff_t>(at + size));
      archive.insert(archive.begin() + static_cast<std::ptrdiff_t>(at), block.begin(), block.end());
      return true;
    }
    at = next;
  }
  return false;
}

bool CorruptFirst(Bytes& archive, const std::string& needle) {
  const auto at = std::search(archive.begin(), archive.end(), needle.begin(), needle.end());
  if (at == archive.end()) return false;
  *at ^= 0x55;
  return true;
}

namespace {

std::uint32_t Le(const Bytes& b, size_t at, int width) {
  if (at + static_cast<size_t>(width) > b.size()) throw std::runtime_error("zip ends early");
  std::uint32_t v = 0;
  for (int i = 0; i < width; ++i) v |= static_cast<std::uint32_t>(b[at + i]) << (8 * i);
  return v;
}

void Set(Bytes& b, size_t at, int width, std::uint32_t v) {
  for (int i = 0; i < width; ++i) b[at + i] = static_cast<std::uint8_t>(v >> (8 * i));
}

// Where each central directory record of zip starts.
std::vector<size_t> CentralRecords(const Bytes& zip) {
  const Bytes end_signature = {'P', 'K', 5, 6};
  const auto end = std::find_end(zip.begin(), zip.end(), end_signature.begin(), end_signature.end());
  if (end == zip.end()) throw std::runtime_error("no end record");
  const size_t end_at = static_cast<size_t>(end - zip.begin());
  std::vector<size_t> records;
  for (size_t at = Le(zip, end_at + 16, 4), n = Le(zip, end_at + 10, 2); n > 0; --n) {
    records.push_back(at);
    at += 46 + Le(zip, at + 28, 2) + Le(zip, at + 30, 2) + Le(zip, at + 32, 2);
  }
  return records;
}

}  // namespace

Bytes CopyZipMembers(const std::vector<CopiedMember>& members) {
  Bytes out, directory;
  for (const CopiedMember& m : members) {
    const Bytes& zip = *m.zip;
    const size_t record = CentralRecords(zip).at(m.index);
    const size_t local = Le(zip, record + 42, 4);
    const size_t data = local + 30 + Le(zip, local + 26, 2) + Le(zip, local + 28, 2);
    const size_t packed = Le(zip, record + 20, 4);
    if (data + packed > zip.size()) throw std::runtime_error("member ends early");
    Bytes header(zip.begin() + static_cast<std::ptrdiff_t>(local),
                 zip.begin() + static_cast<std::ptrdiff_t>(local) + 30);
    Set(header, 26, 2, static_cast<std::uint32_t>(m.name.size()));
    Set(header, 28, 2, 0);  // no extra field
    Bytes entry(zip.begin() + static_cast<std::ptrdiff_t>(record),
                zip.begin() + static_cast<std::ptrdiff_t>(record) + 46);
    Set(entry, 28, 2, static_cast<std::uint32_t>(m.name.size()));
    Set(entry, 30, 4, 0);  // no extra field or comment
    Set(entry, 42, 4, static_cast<std::uint32_t>(out.size()));
    entry.insert(entry.end(), m.name.begin(), m.name.end());
    directory.insert(directory.end(), entry.begin(), entry.end());
    out.insert(out.end(), header.begin(), header.end());
    out.insert(out.end(), m.name.begin(), m.name.end());
    out.insert(out.end(), zip.begin() + static_cast<std::ptrdiff_t>(data),
               zip.begin() + static_cast<std::ptrdiff_t>(data + packed));
  }
  const std::uint32_t directory_at = static_cast<std::uint32_t>(out.size());
  out.insert(out.end(), directory.begin(), directory.end());
  Put32(out, 0x06054B50);
  Put32(out, 0);  // this disk, the directory's disk
  Put16(out, static_cast<std::uint32_t>(members.size()));
  Put16(out, static_cast<std::uint32_t>(members.size()));
  Put32(out, static_cast<std::uint32_t>(directory.size()));
  Put32(out, directory_at);
  Put16(out, 0);  // comment
  return out;
}

}  // namespace makers
