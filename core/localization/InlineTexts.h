// The texts written as pairs where they are shown (toasts, menu titles, labels of rows and fields)
// rather than as named properties of the string table: English text (also the catalog key) and
// Turkish text. Included with TAVI_INLINE defined to expand each row.
//
// A pair shown anywhere must be listed here, so the program knows its whole table and the catalogs
// can be checked against it; tests/localization scans the sources and fails on a pair missing here.
// Texts built with numbers or names are templates: the %1, %2 are filled after the lookup.

// Toasts of the editor.
TAVI_INLINE("The edited image could not be made.", "Düzenlenmiş görsel oluşturulamadı.")
TAVI_INLINE("Edit adjustments copied (paste with ⌥⌘V)", "Düzenleme ayarları kopyalandı (⌥⌘V ile yapıştırın)")
TAVI_INLINE("Copy adjustments from a photo first.", "Önce başka bir fotoğraftan ayarları kopyalayın.")
TAVI_INLINE("Adjustments pasted", "Düzenleme ayarları uygulandı")
TAVI_INLINE("%1 saved", "%1 kaydedildi")
TAVI_INLINE("No supported images found.", "Desteklenen görsel bulunamadı.")
TAVI_INLINE("Exported %1 / %2 images", "%1 / %2 görsel dışa aktarıldı")
TAVI_INLINE("No favorite images to export.", "Dışa aktarılacak favori görsel yok.")
TAVI_INLINE("The image could not be copied.", "Görsel kopyalanamadı.")
TAVI_INLINE("Moved to Trash", "Dosya Çöp Kutusu'na taşındı")
TAVI_INLINE("Added to Favorites ♥", "Favorilere eklendi ♥")
TAVI_INLINE("Removed from Favorites", "Favorilerden çıkarıldı")
TAVI_INLINE("Background isolated — pick a replacement fill or export transparent PNG",
            "Arka plan işlendi — alttan yeni zemin seçebilir veya PNG kaydedebilirsiniz")
TAVI_INLINE("Text copied to clipboard", "Metin panoya kopyalandı")
TAVI_INLINE("No QR code or barcode detected.", "Görselde QR kod veya barkod bulunamadı.")
TAVI_INLINE("%1 copied", "%1 kopyalandı")
TAVI_INLINE("The link could not be opened.", "Bağlantı açılamadı.")
TAVI_INLINE("No image found on the clipboard.", "Panoda yapıştırılacak görsel bulunamadı.")
TAVI_INLINE("Opened image from clipboard", "Panodan görsel açıldı")
TAVI_INLINE("Screenshot captured — ready to annotate or beautify",
            "Ekran görüntüsü yakalandı — işaretleyebilir veya çerçeveleyebilirsiniz")

// The window: browsing, canvas, inspector and sheets.
TAVI_INLINE("Filter folder by filename…", "Klasörde ara…")
TAVI_INLINE("Processing on Apple Neural Engine…", "Apple Neural Engine işliyor…")
TAVI_INLINE("Click the background color to remove", "Silmek istediğiniz arka plan rengine tıklayın")
TAVI_INLINE("BEFORE", "ÖNCESİ")
TAVI_INLINE("AFTER", "SONRASI")
TAVI_INLINE("Preset name…", "Ön ayar adı…")
TAVI_INLINE("Delete", "Sil")
TAVI_INLINE("HEX", "HEX")
TAVI_INLINE("RGB", "RGB")
TAVI_INLINE("HSL", "HSL")
TAVI_INLINE("Dark", "Koyu")
TAVI_INLINE("Grid", "Şeffaf")
TAVI_INLINE("Light", "Açık")
TAVI_INLINE("Lines: %1", "Satır: %1")
TAVI_INLINE("Open", "Aç")
TAVI_INLINE("Open a photo to see its details.", "Ayrıntılarını görmek için bir fotoğraf açın.")
TAVI_INLINE("File", "Dosya")
TAVI_INLINE("Dimensions", "Boyut")
TAVI_INLINE("Size", "Dosya Boyutu")
TAVI_INLINE("Profile", "Profil")
TAVI_INLINE("Resolution", "Çözünürlük")
TAVI_INLINE("Brush Size", "Fırça Boyutu")
TAVI_INLINE("images", "görsel")

// The rows of the EXIF report, named in English by the metadata service.
TAVI_INLINE("Make", "Marka")
TAVI_INLINE("Model", "Model")
TAVI_INLINE("Lens", "Objektif")
TAVI_INLINE("Software", "Yazılım")
TAVI_INLINE("Captured", "Çekim Tarihi")
TAVI_INLINE("Focal Length", "Odak Uzaklığı")
TAVI_INLINE("Aperture", "Diyafram")
TAVI_INLINE("Shutter", "Enstantane")
TAVI_INLINE("ISO", "ISO")
TAVI_INLINE("Coordinates", "Koordinatlar")
TAVI_INLINE("Altitude", "Yükseklik")
TAVI_INLINE("Author", "Yazar")
TAVI_INLINE("Copyright", "Telif Hakkı")

// Menus and the toolbar.
TAVI_INLINE("Quit TaviView", "TaviView'dan Çık")
TAVI_INLINE("Edit", "Düzen")
TAVI_INLINE("Navigate", "Görünüm")
TAVI_INLINE("Help", "Yardım")
TAVI_INLINE("Send Feedback & Ideas…", "Geri Bildirim & Fikir Gönder…")
TAVI_INLINE("Language", "Dil")
TAVI_INLINE("System Language", "Sistem Dili")
TAVI_INLINE("Filmstrip", "Film Şeridi")
TAVI_INLINE("Inspector", "Denetleyici")
TAVI_INLINE("Listening to you — Report a bug or share an idea", "Sizi dinliyoruz — Hata bildir veya fikir paylaş")
