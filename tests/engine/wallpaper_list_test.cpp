#include "engine/wallpaper_list.h"

#include <gtest/gtest.h>

#include <string>

namespace vd {
namespace {

// The system's codecs are a setting of the whole program: put back as found.
class SystemCodecs {
 public:
  explicit SystemCodecs(const std::vector<std::string>& extensions) { SetSystemPictureExtensions(extensions); }
  ~SystemCodecs() { SetSystemPictureExtensions({}); }
};

TEST(EntryKindTest, APictureKindIsTakenOnlyWhileTheSystemDecodesIt) {
  struct Case {
    const char* path;
    EntryKind withoutCodec, withWebpCodec;
  };
  const Case cases[] = {
      {"C:\\Pics\\a.JPG", EntryKind::Picture, EntryKind::Picture},
      {"C:\\Pics\\a.tiff", EntryKind::Picture, EntryKind::Picture},
      {"C:\\Pics\\holiday.photo.Gif", EntryKind::Picture, EntryKind::Picture},
      {"C:\\Pics\\x.webp", EntryKind::NoDecoder, EntryKind::Picture},
      {"C:\\Pics\\x.WEBP", EntryKind::NoDecoder, EntryKind::Picture},
      {"C:\\Pics\\phone.HEIC", EntryKind::NoDecoder, EntryKind::NoDecoder},
      {"C:\\Pics\\x.avif", EntryKind::NoDecoder, EntryKind::NoDecoder},
      {"C:\\Pics\\notes.txt", EntryKind::NotPicture, EntryKind::NotPicture},
      {"C:\\Pics\\photo.jpg.txt", EntryKind::NotPicture, EntryKind::NotPicture},
      {"C:\\Pics\\README", EntryKind::NotPicture, EntryKind::NotPicture},
      {"C:\\Pics.jpg\\README", EntryKind::NotPicture, EntryKind::NotPicture},  // the dot of a folder
      {"C:\\Pics\\webp", EntryKind::NotPicture, EntryKind::NotPicture},
      {"C:\\Pics\\x.", EntryKind::NotPicture, EntryKind::NotPicture},
      {"", EntryKind::NotPicture, EntryKind::NotPicture},
  };
  for (const Case& c : cases) EXPECT_EQ(KindOfEntry(c.path), c.withoutCodec) << c.path;
  SystemCodecs webp({".webp"});
  for (const Case& c : cases) EXPECT_EQ(KindOfEntry(c.path), c.withWebpCodec) << c.path << " with a WebP codec";
}

TEST(EntryKindTest, SkippedFilesMakeOneMessageWithALinePerReason) {
  SkippedFiles none;
  none.Add(EntryKind::Picture, "C:\\a.jpg");
  EXPECT_EQ(none.Count(), 0);
  EXPECT_EQ(none.Message(), "");

  SkippedFiles skipped;
  for (const char* p : {"C:\\a.webp", "C:\\b.WebP", "C:\\c.heic", "C:\\notes.txt", "C:\\d.webp", "C:\\e.jpg"})
    skipped.Add(KindOfEntry(p), p);
  EXPECT_EQ(skipped.Count(), 5);
  EXPECT_EQ(skipped.Message(),
            "3 files skipped: no decoder for .webp on this system\r\n"
            "1 file skipped: no decoder for .heic on this system\r\n"
            "1 file skipped: not a picture");
}

}  // namespace
}  // namespace vd
