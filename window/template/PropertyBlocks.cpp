// Readers and writers of the property blocks. Each Read parses into a fresh
// struct (so fields a version lacks keep their defaults) and commits only when every field the
// version promises was there.
#include "window/template/PropertyBlocks.h"

#include "window/template/ByteStream.h"

namespace tmpl {

namespace {

// Runs parse(reader, version, block) on a fresh block; commits it to out on success.
template <typename Block, typename Parse>
bool ReadVersioned(const uint8_t* data, size_t size, int32_t minVersion, Block& out, Parse parse) {
  if (size == 0) {
    out = Block();
    return true;
  }
  ByteReader r(data, size);
  int32_t version = r.I32();
  if (!r.ok() || version < minVersion || version > Block::kMaxVersion) return false;
  Block b;
  parse(r, version, b);
  if (!r.ok()) return false;
  out = std::move(b);
  return true;
}

}  // namespace

// ---- LogFont ------------------------------------------------------------------------------

std::string LogFont::Bytes() const {
  ByteWriter w;
  w.I32(Height);
  w.I32(Width);
  w.I32(Escapement);
  w.I32(Orientation);
  w.I32(Weight);
  const uint8_t bytes[8] = {Italic, Underline, StrikeOut, CharSet, OutPrecision, ClipPrecision, Quality, PitchAndFamily};
  w.Bytes(std::string(reinterpret_cast<const char*>(bytes), 8));
  std::string face(32, '\0');
  std::string name = FaceName.substr(0, FaceName.find('\0'));
  face.replace(0, name.size() < 31 ? name.size() : 31, name.substr(0, 31));
  w.Bytes(face);
  return w.take();
}

bool LogFont::Parse(const std::string& bytes, LogFont& out) {
  if (bytes.size() != kSize) return false;
  ByteReader r(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
  LogFont f;
  f.Height = r.I32();
  f.Width = r.I32();
  f.Escapement = r.I32();
  f.Orientation = r.I32();
  f.Weight = r.I32();
  std::string b = r.Bytes(8);
  f.Italic = uint8_t(b[0]);
  f.Underline = uint8_t(b[1]);
  f.StrikeOut = uint8_t(b[2]);
  f.CharSet = uint8_t(b[3]);
  f.OutPrecision = uint8_t(b[4]);
  f.ClipPrecision = uint8_t(b[5]);
  f.Quality = uint8_t(b[6]);
  f.PitchAndFamily = uint8_t(b[7]);
  std::string face = r.Bytes(32);
  f.FaceName = face.substr(0, face.find('\0'));
  out = f;
  return true;
}

// ---- Window -------------------------------------------------------------------------------

bool WindowBlock::Read(const uint8_t* data, size_t size) {
  return ReadVersioned(data, size, 0, *this, [](ByteReader& r, int32_t v, WindowBlock& b) {
    b.Border = r.I32();
    b.PictureMode = r.I32();
    b.BackColour = r.U32();
    b.MaxButton = r.I32();
    b.MinButton = r.I32();
    b.ControlBox = r.I32();
    b.Position = r.I32();
    b.Movable = r.I32();
    b.PlayCount = r.I32();
    b.EnterMovesFocus = r.I32();
    b.EscCloses = r.I32();
    b.F1OpensHelp = r.I32();
    b.HelpContext = r.I32();
    if (v > 1) b.ShowInTaskbar = r.I32();
    if (v > 2) {
      b.DragAnywhere = r.I32();
      b.Shape = r.I32();
    }
    if (v > 3) b.AlwaysOnTop = r.I32();
    if (v > 4) b.KeepCaptionActive = r.I32();
    if (v == 6) b.ClassName = r.Text32();
    b.BackPicture = r.Block32();
    b.Icon = r.Block32();
    b.Music = r.Block32();
    b.Caption = r.Text32();
    b.HelpFile = r.Text32();
  });
}

std::string WindowBlock::Write() const {
  ByteWriter w;
  w.I32(kMaxVersion);
  w.I32(Border);
  w.I32(PictureMode);
  w.U32(BackColour);
  w.I32(MaxButton);
  w.I32(MinButton);
  w.I32(ControlBox);
  w.I32(Position);
  w.I32(Movable);
  w.I32(PlayCount);
  w.I32(EnterMovesFocus);
  w.I32(EscCloses);
  w.I32(F1OpensHelp);
  w.I32(HelpContext);
  w.I32(ShowInTaskbar);
  w.I32(DragAnywhere);
  w.I32(Shape);
  w.I32(AlwaysOnTop);
  w.I32(KeepCaptionActive);
  w.Text32(ClassName);
  w.Block32(BackPicture);
  w.Block32(Icon);
  w.Block32(Music);
  w.Text32(Caption);
  w.Text32(HelpFile);
  return w.take();
}

// ---- Edit box -----------------------------------------------------------------------------

bool EditBoxBlock::Read(const uint8_t* data, size_t size) {
  return ReadVersioned(data, size, 0, *this, [](ByteReader& r, int32_t v, EditBoxBlock& b) {
    b.Border = r.I32();
    b.TextColour = r.U32();
    b.BackColour = r.U32();
    b.HideSelection = r.I32();
    b.MaxLength = r.I32();
    b.MultiLine = r.I32();
    b.ScrollBars = r.I32();
    b.Alignment = r.I32();
    b.InputMode = r.I32();
    b.PasswordChar = r.U16();
    b.Conversion = r.I32();
    b.SpinnerMode = r.I32();
    b.SpinnerMin = r.I32();
    b.SpinnerMax = r.I32();
    b.SelStart = r.I32();
    b.SelLength = r.I32();
    b.Font = r.Block32();
    b.Content = r.Text32();
    if (v == 2) {
      b.AuxText1 = r.Text32();
      b.AuxText2 = r.Text32();
    }
  });
}

std::string EditBoxBlock::Write() const {
  ByteWriter w;
  w.I32(kMaxVersion);
  w.I32(Border);
  w.U32(TextColour);
  w.U32(BackColour);
  w.I32(HideSelection);
  w.I32(MaxLength);
  w.I32(MultiLine);
  w.I32(ScrollBars);
  w.I32(Alignment);
  w.I32(InputMode);
  w.U16(PasswordChar);
  w.I32(Conversion);
  w.I32(SpinnerMode);
  w.I32(SpinnerMin);
  w.I32(SpinnerMax);
  w.I32(SelStart);
  w.I32(SelLength);
  w.Block32(Font);
  w.Text32(Content);
  w.Text32(AuxText1);
  w.Text32(AuxText2);
  return w.take();
}

// ---- Picture box --------------------------------------------------------------------------

bool PicBoxBlock::Read(const uint8_t* data, size_t size) {
  return ReadVersioned(data, size, 0, *this, [](ByteReader& r, int32_t v, PicBoxBlock& b) {
    b.Border = r.I32();
    b.BackColour = r.U32();
    b.DisplayMode = r.I32();
    b.Animate = r.I32();
    b.Picture = r.Block32();
    if (v == 2) {
      b.AuxText1 = r.Text32();
      b.AuxText2 = r.Text32();
    }
  });
}

std::string PicBoxBlock::Write() const {
  ByteWriter w;
  w.I32(kMaxVersion);
  w.I32(Border);
  w.U32(BackColour);
  w.I32(DisplayMode);
  w.I32(Animate);
  w.Block32(Picture);
  w.Text32(AuxText1);
  w.Text32(AuxText2);
  return w.take();
}

// ---- Check box ----------------------------------------------------------------------------

bool CheckBoxBlock::Read(const uint8_t* data, size_t size) {
  return ReadVersioned(data, size, 0, *this, [](ByteReader& r, int32_t v, CheckBoxBlock& b) {
    b.PushLike = r.I32();
    b.Flat = r.I32();
    b.TextOnLeft = r.I32();
    b.HAlign = r.I32();
    b.VAlign = r.I32();
    b.TextColour = r.U32();
    b.BackColour = r.U32();
    b.Checked = r.I32();
    b.Picture = r.Block32();
    b.Font = r.Block32();
    b.Caption = r.Text32();
    if (v == 2) {
      b.AuxText1 = r.Text32();
      b.AuxText2 = r.Text32();
    }
  });
}

std::string CheckBoxBlock::Write() const {
  ByteWriter w;
  w.I32(kMaxVersion);
  w.I32(PushLike);
  w.I32(Flat);
  w.I32(TextOnLeft);
  w.I32(HAlign);
  w.I32(VAlign);
  w.U32(TextColour);
  w.U32(BackColour);
  w.I32(Checked);
  w.Block32(Picture);
  w.Block32(Font);
  w.Text32(Caption);
  w.Text32(AuxText1);
  w.Text32(AuxText2);
  return w.take();
}

// ---- Progress bar, timer, picture button --------------------------------------------------

bool ProcessBarBlock::Read(const uint8_t* data, size_t size) {
  return ReadVersioned(data, size, 0, *this, [](ByteReader& r, int32_t, ProcessBarBlock& b) {
    b.Border = r.I32();
    b.Vertical = r.I32();
    b.Smooth = r.I32();
    b.Minimum = r.I32();
    b.Maximum = r.I32();
    b.Position = r.I32();
  });
}

std::string ProcessBarBlock::Write() const {
  ByteWriter w;
  w.I32(kMaxVersion);
  w.I32(Border);
  w.I32(Vertical);
  w.I32(Smooth);
  w.I32(Minimum);
  w.I32(Maximum);
  w.I32(Position);
  return w.take();
}

bool TimerBlock::Read(const uint8_t* data, size_t size) {
  return ReadVersioned(data, size, 0, *this, [](ByteReader& r, int32_t, TimerBlock& b) { b.Interval = r.I32(); });
}

std::string TimerBlock::Write() const {
  ByteWriter w;
  w.I32(kMaxVersion);
  w.I32(Interval);
  return w.take();
}

bool PicBtnBlock::Read(const uint8_t* data, size_t size) {
  return ReadVersioned(data, size, 0, *this, [](ByteReader& r, int32_t, PicBtnBlock& b) {
    b.Kind = r.I32();
    b.Selected = r.I32();
    b.TransparentColour = r.U32();
    b.NormalPicture = r.Block32();
    b.HotPicture = r.Block32();
    b.PressedPicture = r.Block32();
    b.DisabledPicture = r.Block32();
  });
}

std::string PicBtnBlock::Write() const {
  ByteWriter w;
  w.I32(kMaxVersion);
  w.I32(Kind);
  w.I32(Selected);
  w.U32(TransparentColour);
  w.Block32(NormalPicture);
  w.Block32(HotPicture);
  w.Block32(PressedPicture);
  w.Block32(DisabledPicture);
  return w.take();
}

// ---- TransLabel ---------------------------------------------------------------------------

bool TransLabelBlock::Read(const uint8_t* data, size_t size) {
  return ReadVersioned(data, size, 0, *this, [](ByteReader& r, int32_t, TransLabelBlock& b) {
    b.Effect = r.I32();
    b.TextColour = r.U32();
    b.HAlign = r.I32();
    b.VAlign = r.I32();
    b.WordWrap = r.I32();
    b.Font = r.Block32();
    b.Caption = r.Text32();
  });
}

std::string TransLabelBlock::Write() const {
  ByteWriter w;
  w.I32(kMaxVersion);
  w.I32(Effect);
  w.U32(TextColour);
  w.I32(HAlign);
  w.I32(VAlign);
  w.I32(WordWrap);
  w.Block32(Font);
  w.Text32(Caption);
  return w.take();
}

// ---- PageControl --------------------------------------------------------------------------

std::string PageControlBlock::WriteTabs() const {
  ByteWriter w;
  w.I32(TabsFormatVersion);
  w.I32(int32_t(Tabs.size()));
  for (const TabItem& tab : Tabs) {
    w.Text32(tab.Name);
    for (int32_t v : tab.Values) w.I32(v);
  }
  return w.take();
}

bool PageControlBlock::ReadTabs(const std::string& bytes, int32_t& formatVersion, std::vector<TabItem>& tabs) {
  if (bytes.empty()) {
    formatVersion = kTabsFormatVersion;
    tabs.clear();
    return true;
  }
  ByteReader r(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
  int32_t version = r.I32();
  int32_t count = r.I32();
  // Only format 3 is known; each tab needs at least its name count and 23 values.
  if (!r.ok() || version != kTabsFormatVersion || count < 0 || size_t(count) > r.remaining() / 96) return false;
  std::vector<TabItem> list(static_cast<size_t>(count));
  for (TabItem& tab : list) {
    tab.Name = r.Text32();
    for (int32_t& v : tab.Values) v = r.I32();
  }
  if (!r.atEnd()) return false;
  formatVersion = version;
  tabs = std::move(list);
  return true;
}

bool PageControlBlock::Read(const uint8_t* data, size_t size) {
  bool tabsOk = true;
  bool ok = ReadVersioned(data, size, kMinVersion, *this, [&tabsOk](ByteReader& r, int32_t v, PageControlBlock& b) {
    b.TabPosition = r.I32();
    b.Prop1 = r.I32();
    b.CurrentPage = r.I32();
    b.HideTabs = r.I32();
    b.Font = r.Bytes(60);
    tabsOk = ReadTabs(r.Block32(), b.TabsFormatVersion, b.Tabs);
    b.TabHeight = r.I32();
    b.Prop11 = r.I32();
    b.Prop12 = r.I32();
    b.Prop13 = r.I32();
    b.Prop14 = r.Block32();
    b.Prop15 = r.Block32();
    b.Prop16 = r.Block32();
    b.Prop17 = r.Block32();
    b.Prop20 = r.I32();
    b.Colour21 = r.U32();
    b.Colour22 = r.U32();
    b.Colour23 = r.U32();
    b.Spare11 = r.I32();
    b.Colour30 = r.U32();
    b.Colour31 = r.U32();
    b.Colour32 = r.U32();
    b.Spare12 = r.I32();
    b.Colour26 = r.U32();
    b.Colour27 = r.U32();
    b.Colour36 = r.U32();
    b.Spare13 = r.I32();
    b.Prop40 = r.I32();
    b.Prop41 = r.I32();
    b.Spare14a = r.I32();
    b.Spare14b = r.I32();
    b.Spare14c = r.I32();
    if (v >= 2) {
      b.Prop45 = r.I32();
      b.Colour46 = r.U32();
      b.Colour47 = r.U32();
      b.Colour48 = r.U32();
    }
    if (v >= 3) b.Prop6 = r.I32();
    if (v >= 5) b.Prop39 = r.I32();
    // Before version 6 there is no flag: a font is set exactly when the stored bytes say so.
    b.NoTabFont = v >= 6 ? r.I32() : 0;
    if (v >= 7) b.Prop54 = r.I32();
    if (!tabsOk) r.fail();
  });
  return ok;
}

std::string PageControlBlock::Write() const {
  ByteWriter w;
  w.I32(kMaxVersion);
  w.I32(TabPosition);
  w.I32(Prop1);
  w.I32(CurrentPage);
  w.I32(HideTabs);
  std::string font = Font.substr(0, 60);
  font.resize(60, '\0');
  w.Bytes(font);
  w.Block32(WriteTabs());
  w.I32(TabHeight);
  w.I32(Prop11);
  w.I32(Prop12);
  w.I32(Prop13);
  w.Block32(Prop14);
  w.Block32(Prop15);
  w.Block32(Prop16);
  w.Block32(Prop17);
  w.I32(Prop20);
  w.U32(Colour21);
  w.U32(Colour22);
  w.U32(Colour23);
  w.I32(Spare11);
  w.U32(Colour30);
  w.U32(Colour31);
  w.U32(Colour32);
  w.I32(Spare12);
  w.U32(Colour26);
  w.U32(Colour27);
  w.U32(Colour36);
  w.I32(Spare13);
  w.I32(Prop40);
  w.I32(Prop41);
  w.I32(Spare14a);
  w.I32(Spare14b);
  w.I32(Spare14c);
  w.I32(Prop45);
  w.U32(Colour46);
  w.U32(Colour47);
  w.U32(Colour48);
  w.I32(Prop6);
  w.I32(Prop39);
  w.I32(NoTabFont);
  w.I32(Prop54);
  return w.take();
}

}  // namespace tmpl
