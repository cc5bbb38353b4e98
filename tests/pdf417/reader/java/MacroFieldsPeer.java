// SPDX-License-Identifier: Apache-2.0
// Reads PDF417 symbols from binary PGM files with Java ZXing and prints, one line per file, the
// payload in hexadecimal and every Macro PDF417 field the reader reports.
import com.google.zxing.BarcodeFormat;
import com.google.zxing.BinaryBitmap;
import com.google.zxing.DecodeHintType;
import com.google.zxing.RGBLuminanceSource;
import com.google.zxing.Result;
import com.google.zxing.ResultMetadataType;
import com.google.zxing.common.HybridBinarizer;
import com.google.zxing.pdf417.PDF417Reader;
import com.google.zxing.pdf417.PDF417ResultMetadata;
import java.io.DataInputStream;
import java.io.FileDescriptor;
import java.io.FileInputStream;
import java.io.FileOutputStream;
import java.io.PrintStream;
import java.io.IOException;
import java.nio.charset.StandardCharsets;
import java.util.EnumMap;
import java.util.Map;

public final class MacroFieldsPeer {
  // P5 files: "P5", width, height, 255, then one byte per pixel.
  private static int[] readPgm(String path, int[] size) throws IOException {
    try (DataInputStream in = new DataInputStream(new FileInputStream(path))) {
      String[] header = new String[4];
      for (int i = 0; i < 4; i++) {
        StringBuilder token = new StringBuilder();
        int c;
        while ((c = in.read()) != -1 && !Character.isWhitespace(c)) token.append((char) c);
        header[i] = token.toString();
      }
      size[0] = Integer.parseInt(header[1]);
      size[1] = Integer.parseInt(header[2]);
      int[] pixels = new int[size[0] * size[1]];
      for (int i = 0; i < pixels.length; i++) {
        int v = in.readUnsignedByte();
        pixels[i] = 0xFF000000 | v << 16 | v << 8 | v;
      }
      return pixels;
    }
  }

  private static String hex(byte[] bytes) {
    StringBuilder out = new StringBuilder();
    for (byte b : bytes) out.append(String.format("%02x", b & 0xFF));
    return out.toString();
  }

  public static void main(String[] args) throws Exception {
    // Text fields are printed as their ISO-8859-1 bytes, whatever the locale.
    PrintStream out = new PrintStream(new FileOutputStream(FileDescriptor.out), true, "ISO-8859-1");
    Map<DecodeHintType, Object> hints = new EnumMap<>(DecodeHintType.class);
    hints.put(DecodeHintType.TRY_HARDER, Boolean.TRUE);
    for (String path : args) {
      int[] size = new int[2];
      int[] pixels = readPgm(path, size);
      BinaryBitmap bitmap = new BinaryBitmap(new HybridBinarizer(new RGBLuminanceSource(size[0], size[1], pixels)));
      Result result;
      try {
        result = new PDF417Reader().decode(bitmap, hints);
      } catch (Exception e) {
        out.println("unread " + e);
        continue;
      }
      StringBuilder line = new StringBuilder();
      line.append("text=").append(hex(result.getText().getBytes(StandardCharsets.ISO_8859_1)));
      Object meta = result.getResultMetadata() == null ? null
          : result.getResultMetadata().get(ResultMetadataType.PDF417_EXTRA_METADATA);
      if (meta instanceof PDF417ResultMetadata && ((PDF417ResultMetadata) meta).getFileId() != null) {
        PDF417ResultMetadata m = (PDF417ResultMetadata) meta;
        line.append(" index=").append(m.getSegmentIndex());
        line.append(" id=").append(m.getFileId());
        line.append(" last=").append(m.isLastSegment());
        line.append(" count=").append(m.getSegmentCount());
        line.append(" name=").append(m.getFileName());
        line.append(" time=").append(m.getTimestamp());
        line.append(" sender=").append(m.getSender());
        line.append(" addressee=").append(m.getAddressee());
        line.append(" size=").append(m.getFileSize());
        line.append(" checksum=").append(m.getChecksum());
      }
      out.println(line);
    }
  }
}
