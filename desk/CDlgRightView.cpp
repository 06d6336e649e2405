#include "CDlgRightView.h"

#include <cairo.h>
#include <cstring>
#include <memory>
#include <random>
#include <wx/dcbuffer.h>
#include <wx/dcclient.h>
#include <wx/dcmemory.h>
#include <wx/graphics.h>
#include <wx/image.h>
#include "BoardOrder.h"
#include "CHouseset.h"
#include "CQuillan2021App.h"
#include "Globals.h"
#include "Resources.h"

namespace {

constexpr uint32_t kGradientTop = 0xFF000000;
constexpr uint32_t kGradientBottoms[] = {0xFFC0C0C0, 0xFF8B0000, 0xFF006400, 0xFF00008B, 0xFFBC8F8F, 0xFFFAF0E6};
constexpr uint32_t kClockFace = 0xFF000000;
constexpr uint32_t kSecondHand = 0xFFFF0000;

constexpr uint32_t kCaptionColour = 0xDCFFFF00;
constexpr int kCaptionSize = 36;
const char* const kCaptionFont = "WenQuanYi Micro Hei";
const char* const kCaption = "欢迎光临本旅馆";

constexpr uint32_t kCardBackground = 0xFFFEF8E6;
constexpr int kCardIconSize = 32;
constexpr int kCardLeft = 80;
constexpr int kCardIconTop = 50;

uint32_t OpaqueArgb(unsigned red, unsigned green, unsigned blue)
{
    return 0xFF000000u | (red << 16) | (green << 8) | blue;
}

unsigned Channel(uint32_t argb, int shift)
{
    return (argb >> shift) & 0xFF;
}

wxColour ColourFromArgb(uint32_t argb)
{
    return wxColour(Channel(argb, 16), Channel(argb, 8), Channel(argb, 0), Channel(argb, 24));
}

// The top colour blending row by row into the bottom one.
wxImage GradientImage(wxSize size, uint32_t top, uint32_t bottom)
{
    wxImage image(size);
    unsigned char* data = image.GetData();
    for (int y = 0; y < size.y; ++y) {
        const double t = double(y) / size.y;
        unsigned char rgb[3];
        for (int c = 0; c < 3; ++c) {
            const int shift = 16 - 8 * c;
            rgb[c] = (unsigned char)(int(Channel(bottom, shift) * t + Channel(top, shift) * (1 - t)) & 0xFF);
        }
        for (int x = 0; x < size.x; ++x, data += 3)
            std::memcpy(data, rgb, 3);
    }
    return image;
}

void DrawCentredPicture(wxGraphicsContext& gc, const wxBitmap& picture, int cx, int top)
{
    gc.DrawBitmap(picture, cx - picture.GetWidth() / 2, top, picture.GetWidth(), picture.GetHeight());
}

// Moves to the 0-based row; false when the table ends before it. By
// position: the card of the last of 10,000 rooms reads no other room.
bool MoveToRow(CRecordset& set, int row)
{
    if (row < 0 || row >= set.GetRecordCount())
        return false;
    set.SetAbsolutePosition(row + 1);
    return !set.IsEOF();
}

CString YesNo(const char* label, BOOL flag)
{
    return wxString::FromUTF8(label) + wxString::FromUTF8(flag ? "是" : "否");
}

}  // namespace

RoomCard FormatRoomCard(const CHouseset& room)
{
    RoomCard card;
    card.icon = room.m_nPersons > 0 ? IDI_GUEST : IDI_ROOM;
    auto add = [&card](int y, const CString& text) { card.lines.push_back({y, text}); };
    add(110, wxString::Format(wxString::FromUTF8("房间号:%s"), room.m_strRoomNo));
    add(135, wxString::Format(wxString::FromUTF8("房间人数:%d"), int(room.m_nPersons)));
    add(160, wxString::Format(wxString::FromUTF8("房价:%s"), room.m_strPrice));
    add(185, YesNo("打扫:", room.m_bCleaning));
    add(210, YesNo("订房:", room.m_bReserved));
    if (room.m_bReserved)
        add(235, wxString::FromUTF8("订房时间:") + room.m_dtReserveDate.Format("%Y.%m.%d"));
    add(260, YesNo("钟点房:", room.m_bHourly));
    if (room.m_bHourly) {
        add(285, wxString::FromUTF8("钟点开始:") + room.m_dtHourStart.Format("%H:%M"));
        add(310, wxString::FromUTF8("钟点结束:") + room.m_dtHourEnd.Format("%H:%M"));
    }
    add(335, wxString::FromUTF8("房间介绍:"));
    add(360, room.m_strIntro);
    return card;
}

void ApplyClockFrame(const ClockFrame& frame, std::vector<uint32_t>& face, wxRect& faceRect, wxRect& changed)
{
    const wxRect placed(frame.left, frame.top, CClockPainter::kFaceSize, CClockPainter::kFaceSize);
    if (placed != faceRect) {
        if (frame.width != placed.width || frame.height != placed.height)
            return;
        changed.Union(faceRect);
        faceRect = placed;
        face.assign(size_t(placed.width) * size_t(placed.height), 0);
    }
    frame.CopyInto(face, placed.width);
    changed.Union(wxRect(frame.left + frame.x, frame.top + frame.y, frame.width, frame.height));
}

IdleColours PickIdleColours(std::time_t seconds)
{
    std::minstd_rand random(static_cast<std::minstd_rand::result_type>(seconds));
    IdleColours colours;
    colours.gradientBottom = kGradientBottoms[random() % 6];
    unsigned r[6];
    for (unsigned& value : r)
        value = random() % 255;
    colours.hourHand = OpaqueArgb(r[0], r[1], r[2]);
    colours.minuteHand = OpaqueArgb(r[3], r[4], r[5]);
    return colours;
}

CDlgRightView::CDlgRightView(wxWindow* parent) : wxPanel(parent, IDD)
{
    // Every pixel is painted by OnPaint, which the toolkit double-buffers.
    SetBackgroundStyle(wxBG_STYLE_PAINT);
    Bind(wxEVT_PAINT, &CDlgRightView::OnPaint, this);
    Bind(wxEVT_SIZE, &CDlgRightView::OnSize, this);
    m_clock.SetFrameSink([this](ClockFrame frame) { ReceiveFrame(std::move(frame)); });
    LoadPicture();
}

CDlgRightView::~CDlgRightView()
{
    // The worker draws for this window: it must be gone before anything else.
    m_clock.Stop();
}

void CDlgRightView::RedrawNow()
{
    LoadPicture();
    Refresh();
    Update();
}

void CDlgRightView::LoadPicture()
{
    if (g_nIconMode == 1 || g_nIconMode == 2) {
        ShowIdlePicture();
        return;
    }
    // No clock over the card, nor over an empty panel.
    if (m_clock.IsRunning())
        m_clock.Stop();
    if (g_nIconMode == 3)
        LoadRoomCard();
    else
        m_picture = Picture::None;
}

void CDlgRightView::ShowIdlePicture()
{
    const IdleColours colours = PickIdleColours(std::time(nullptr));
    BuildIdleBackground(colours.gradientBottom);
    m_picture = Picture::Idle;
    m_clock.SetColours(kClockFace, colours.minuteHand, kSecondHand, colours.hourHand);
    m_clock.Start(GetClientSize().x / 2 - CClockPainter::kFaceSize / 2);
}

void CDlgRightView::LoadRoomCard()
{
    // The refusal's message box lets paints through: they keep the card they have.
    if (m_bReadingCard)
        return;
    m_bReadingCard = true;
    CHouseset rooms(&GetTheApp().m_dbHotel);
    try {
        if (OpenRoomsInBoardOrder(rooms)) {
            // A row beyond the last room leaves a card without a room.
            m_card = MoveToRow(rooms, g_nSelectedRoomIndex) ? FormatRoomCard(rooms) : RoomCard();
            m_picture = Picture::Card;
        }
    } catch (const CDBException&) {
        // A database that cannot serve just now: the next paint reads again.
        m_bReadingCard = false;
        throw;
    }
    m_bReadingCard = false;
}

void CDlgRightView::BuildIdleBackground(uint32_t gradientBottom)
{
    const wxSize size = GetClientSize();
    if (size.x <= 0 || size.y <= 0) {
        m_idleBackground = wxNullBitmap;
        return;
    }
    m_idleBackground = wxBitmap(GradientImage(size, kGradientTop, gradientBottom));
    wxMemoryDC dc(m_idleBackground);
    std::unique_ptr<wxGraphicsContext> gc(wxGraphicsContext::Create(dc));
    const int cx = size.x / 2;

    const wxBitmap logo = LoadResourceBitmap(IDB_ABOUT_LOGO);
    const wxBitmap banner = LoadResourceBitmap(IDB_ABOUT_BANNER);
    if (logo.IsOk())
        DrawCentredPicture(*gc, logo, cx, 600 - logo.GetHeight() / 2);
    if (banner.IsOk())
        DrawCentredPicture(*gc, banner, cx, 615 + banner.GetHeight() / 2);

    const wxString caption = wxString::FromUTF8(kCaption);
    gc->SetFont(wxFont(wxFontInfo(wxSize(0, kCaptionSize)).Bold().FaceName(kCaptionFont)),
                ColourFromArgb(kCaptionColour));
    double width = 0, height = 0;
    gc->GetTextExtent(caption, &width, &height);
    gc->DrawText(caption, cx - width / 2, height + 930);
}

void CDlgRightView::OnPaint(wxPaintEvent&)
{
    wxAutoBufferedPaintDC dc(this);
    if (m_picture == Picture::Idle) {
        // The picture covers the panel: nothing is cleared first, which at
        // every move of the clock would ask the toolkit's theme for a colour.
        PaintIdlePicture(dc);
    } else if (m_picture == Picture::Card) {
        // The room is read at every paint: the card shows what the table holds now.
        LoadRoomCard();
        PaintRoomCard(dc);
    } else {
        dc.SetBackground(wxBrush(GetBackgroundColour()));
        dc.Clear();
    }
}

void CDlgRightView::OnSize(wxSizeEvent& event)
{
    event.Skip();
    // The idle picture is laid out on the panel's width; the card is drawn at
    // fixed places and only needs its background to cover the new size.
    if (m_picture == Picture::Idle)
        ShowIdlePicture();
    Refresh();
}

void CDlgRightView::PaintIdlePicture(wxDC& dc)
{
    if (m_idleBackground.IsOk())
        dc.DrawBitmap(m_idleBackground, 0, 0);
    PaintClockFace(dc);
}

// The face's pixels are what cairo, the toolkit's own drawing, takes as they are.
void CDlgRightView::PaintClockFace(wxDC& dc)
{
    wxGraphicsContext* gc = dc.GetGraphicsContext();
    cairo_t* cr = gc ? static_cast<cairo_t*>(gc->GetNativeContext()) : nullptr;
    std::lock_guard<std::mutex> lock(m_frameMutex);
    if (!cr || m_faceRect.IsEmpty())
        return;
    cairo_surface_t* face = cairo_image_surface_create_for_data(
        reinterpret_cast<unsigned char*>(m_facePixels.data()), CAIRO_FORMAT_ARGB32, m_faceRect.width,
        m_faceRect.height, m_faceRect.width * int(sizeof(uint32_t)));
    cairo_save(cr);
    cairo_set_source_surface(cr, face, m_faceRect.x, m_faceRect.y);
    cairo_paint(cr);
    cairo_restore(cr);
    cairo_surface_destroy(face);
}

void CDlgRightView::PaintRoomCard(wxDC& dc) const
{
    dc.SetBackground(wxBrush(ColourFromArgb(kCardBackground)));
    dc.Clear();
    if (m_card.icon != 0)
        dc.DrawIcon(LoadResourceIcon(m_card.icon, kCardIconSize), kCardLeft, kCardIconTop);
    dc.SetFont(GetFont());
    dc.SetTextForeground(*wxBLACK);
    for (const RoomCardLine& line : m_card.lines)
        dc.DrawText(line.text, kCardLeft, line.y);
}

// Runs on whichever thread drew the frame, mostly the clock's own: puts the
// frame's pixels into the face and asks the user-interface thread to repaint
// what changed, once for any number of frames.
void CDlgRightView::ReceiveFrame(ClockFrame frame)
{
    std::lock_guard<std::mutex> lock(m_frameMutex);
    ApplyClockFrame(frame, m_facePixels, m_faceRect, m_changed);
    if (!m_bDeliveryQueued && !m_changed.IsEmpty()) {
        m_bDeliveryQueued = true;
        CallAfter([this] { ShowChangedFace(); });
    }
}

void CDlgRightView::ShowChangedFace()
{
    wxRect changed, face;
    {
        std::lock_guard<std::mutex> lock(m_frameMutex);
        m_bDeliveryQueued = false;
        std::swap(changed, m_changed);
        face = m_faceRect;
    }
    // A frame drawn just before the clock stopped has no place on a card.
    if (m_picture != Picture::Idle || changed.IsEmpty() || !IsShownOnScreen())
        return;
    // The changed part goes straight onto the screen, as a clock draws into its
    // window: asking for a paint would have the toolkit paint the frame and
    // every pane around the panel too, twenty times a second. The face is
    // opaque: where only it changed, the picture under it is not drawn.
    wxClientDC dc(this);
    dc.SetClippingRegion(changed);
    if (face.Contains(changed))
        PaintClockFace(dc);
    else
        PaintIdlePicture(dc);
}
