// Reading and writing the template region, one function per structure of the format.
// Every reader works on a bounded ByteReader, so a short or inconsistent region fails without
// reading past its end; nothing is committed to the caller's vector until the whole region has
// been consumed exactly.
#include "window/template/TemplateRegion.h"

#include "window/template/ByteStream.h"

namespace tmpl {

namespace {

// ---- Unit records -------------------------------------------------------------------------

void WriteUnitBody(ByteWriter& w, const UnitTemplate& u) {
  w.U32(u.typeCode);
  w.U32(u.sharedEventLink);
  for (uint32_t v : u.reservedHead) w.U32(v);
  w.CString(u.name);
  w.CString(u.remark);
  if (IsMenuItemId(u.id)) {
    // Menu item: three words, a text, the single routine offset, then the open remainder.
    for (uint32_t v : u.menuWords) w.U32(v);
    w.CString(u.menuText);
    w.I32(u.events.empty() ? -1 : u.events.front().routineOffset);
    w.Bytes(u.propertyBlock);
    return;
  }
  w.U32(u.objectSlot);
  w.I32(u.left);
  w.I32(u.top);
  w.I32(u.width);
  w.I32(u.height);
  w.U32(u.cursorSlot);
  w.U32(u.parent);
  w.I32(int32_t(u.children.size()));
  for (uint32_t c : u.children) w.U32(c);
  w.Block32(u.cursorBlock);
  w.CString(u.tag);
  w.U32(u.reservedMid);
  w.U32(u.flags);
  w.I32(u.tabOrder);
  w.I32(int32_t(u.events.size()));
  for (const EventBinding& b : u.events) {
    w.I32(b.event);
    w.I32(b.routineOffset);
  }
  for (uint32_t v : u.reservedTail) w.U32(v);
  w.Bytes(u.propertyBlock);
}

bool ReadUnitBody(ByteReader& r, uint32_t unitId, UnitTemplate& u) {
  u = UnitTemplate();
  u.id = unitId;
  u.typeCode = r.U32();
  u.sharedEventLink = r.U32();
  for (uint32_t& v : u.reservedHead) v = r.U32();
  u.name = r.CString();
  u.remark = r.CString();
  if (IsMenuItemId(unitId)) {
    for (uint32_t& v : u.menuWords) v = r.U32();
    u.menuText = r.CString();
    int32_t offset = r.I32();
    u.events.push_back(EventBinding{0, offset});
    u.propertyBlock = r.Bytes(r.remaining());
    return r.ok();
  }
  u.objectSlot = r.U32();
  u.left = r.I32();
  u.top = r.I32();
  u.width = r.I32();
  u.height = r.I32();
  u.cursorSlot = r.U32();
  u.parent = r.U32();
  int32_t childCount = r.I32();
  if (childCount < 0 || size_t(childCount) > r.remaining() / 4) return false;
  u.children.resize(size_t(childCount));
  for (uint32_t& c : u.children) c = r.U32();
  u.cursorBlock = r.Block32();
  u.tag = r.CString();
  u.reservedMid = r.U32();
  u.flags = r.U32();
  u.tabOrder = r.I32();
  int32_t eventCount = r.I32();
  if (eventCount < 0 || size_t(eventCount) > r.remaining() / 8) return false;
  u.events.resize(size_t(eventCount), EventBinding{0, -1});
  for (EventBinding& b : u.events) {
    b.event = r.I32();
    b.routineOffset = r.I32();
  }
  for (uint32_t& v : u.reservedTail) v = r.U32();
  u.propertyBlock = r.Bytes(r.remaining());
  return r.ok();
}

// ---- Unit lists ---------------------------------------------------------------------------

// U ids, U offsets (from byte 8U of the payload), then the length-prefixed records.
std::string WriteUnitList(const std::vector<UnitTemplate>& units) {
  std::vector<std::string> records;
  records.reserve(units.size());
  for (const UnitTemplate& u : units) records.push_back(WriteUnitRecord(u));
  ByteWriter w;
  for (const UnitTemplate& u : units) w.U32(u.id);
  uint32_t offset = 0;
  for (const std::string& rec : records) {
    w.U32(offset);
    offset += 4 + uint32_t(rec.size());
  }
  for (const std::string& rec : records) w.Block32(rec);
  return w.take();
}

bool ReadUnitList(const std::string& list, int32_t count, std::vector<UnitTemplate>& units) {
  const auto* data = reinterpret_cast<const uint8_t*>(list.data());
  ByteReader tables(data, list.size());
  if (count < 0 || size_t(count) > list.size() / 8) return false;
  const size_t n = size_t(count);
  std::vector<uint32_t> ids(n), offsets(n);
  for (uint32_t& id : ids) id = tables.U32();
  for (uint32_t& off : offsets) off = tables.U32();
  if (!tables.ok()) return false;
  const size_t base = 8 * n;
  const size_t recordsSize = list.size() - base;
  units.assign(n, UnitTemplate());
  for (size_t i = 0; i < n; ++i) {
    if (offsets[i] > recordsSize || recordsSize - offsets[i] < 4) return false;
    ByteReader at(data + base + offsets[i], recordsSize - offsets[i]);
    int32_t length = at.I32();
    if (length < 0 || size_t(length) > at.remaining()) return false;
    if (!ReadUnitRecord(at.here(), size_t(length), ids[i], units[i])) return false;
  }
  return true;
}

// ---- Window records -----------------------------------------------------------------------

void WriteWindowRecord(ByteWriter& w, const WindowTemplate& win) {
  w.U32(win.reservedA);
  w.U32(win.reservedB);
  w.Text32(win.textA);
  w.Text32(win.textB);
  w.I32(int32_t(win.units.size()));
  w.Block32(WriteUnitList(win.units));
}

bool ReadWindowRecord(ByteReader& r, WindowTemplate& win) {
  win.reservedA = r.U32();
  win.reservedB = r.U32();
  win.textA = r.Text32();
  win.textB = r.Text32();
  int32_t unitCount = r.I32();
  int32_t listSize = r.I32();
  if (!r.ok() || unitCount < 0) return false;
  // A count of 0 or less is an empty block, which holds no tables for any unit.
  std::string list = listSize > 0 ? r.Bytes(size_t(listSize)) : std::string();
  if (!r.ok()) return false;
  return ReadUnitList(list, unitCount, win.units);
}

}  // namespace

bool ReadUnitRecord(const uint8_t* data, size_t size, uint32_t unitId, UnitTemplate& out) {
  ByteReader r(data, size);
  UnitTemplate u;
  if (!ReadUnitBody(r, unitId, u)) return false;
  out = std::move(u);
  return true;
}

std::string WriteUnitRecord(const UnitTemplate& unit) {
  ByteWriter w;
  WriteUnitBody(w, unit);
  return w.take();
}

std::string WriteRegion(const std::vector<WindowTemplate>& windows) {
  ByteWriter w;
  w.I32(int32_t(8 * windows.size()));
  for (const WindowTemplate& win : windows) w.U32(win.id);
  for (const WindowTemplate& win : windows) w.U32(win.tableSlot);
  for (const WindowTemplate& win : windows) WriteWindowRecord(w, win);
  return w.take();
}

bool ReadRegion(const uint8_t* data, size_t size, std::vector<WindowTemplate>& out) {
  out.clear();
  ByteReader r(data, size);
  int32_t tableSize = r.I32();
  if (!r.ok() || tableSize < 0 || tableSize % 8 != 0 || size_t(tableSize) > r.remaining()) return false;
  std::vector<WindowTemplate> windows(size_t(tableSize) / 8);
  for (WindowTemplate& win : windows) win.id = r.U32();
  for (WindowTemplate& win : windows) win.tableSlot = r.U32();
  for (WindowTemplate& win : windows)
    if (!ReadWindowRecord(r, win)) return false;
  if (!r.atEnd()) return false;
  out = std::move(windows);
  return true;
}

}  // namespace tmpl
