// SPDX-License-Identifier: Apache-2.0
// Peer for the byte-compatibility test: writes and checks the same sequence of values
// that the C++ side writes and checks, with java.io data streams.
//
//   java DataPeer write FILE         numbers, shared texts and texts only this side writes
//   java DataPeer write-common FILE  numbers and shared texts (the C++ side writes the same)
//   java DataPeer check FILE         reads numbers and shared texts; exit status 1 on a mismatch
import java.io.*;
import java.nio.file.*;

public final class DataPeer {
  interface Side {
    void i(int v) throws IOException;
    void l(long v) throws IOException;
    void s(short v) throws IOException;
    void c(char v) throws IOException;
    void f(float v) throws IOException;
    void d(double v) throws IOException;
    void z(boolean v) throws IOException;
    void b(byte v) throws IOException;
    void utf(String v) throws IOException;
    void str(String v) throws IOException;
  }

  static final class Writer implements Side {
    final DataOutputStream out;
    Writer(DataOutputStream out) { this.out = out; }
    public void i(int v) throws IOException { out.writeInt(v); }
    public void l(long v) throws IOException { out.writeLong(v); }
    public void s(short v) throws IOException { out.writeShort(v); }
    public void c(char v) throws IOException { out.writeChar(v); }
    public void f(float v) throws IOException { out.writeFloat(v); }
    public void d(double v) throws IOException { out.writeDouble(v); }
    public void z(boolean v) throws IOException { out.writeBoolean(v); }
    public void b(byte v) throws IOException { out.writeByte(v); }
    public void utf(String v) throws IOException { out.writeUTF(v); }
    public void str(String v) throws IOException { out.writeInt(v.length()); out.writeChars(v); }
  }

  static final class Checker implements Side {
    final DataInputStream in;
    int index = 0;
    int failures = 0;
    Checker(DataInputStream in) { this.in = in; }
    void expect(boolean same, Object want, Object got) {
      if (!same) {
        failures++;
        System.err.println("value " + index + ": expected " + describe(want) + ", read " + describe(got));
      }
      index++;
    }
    static String describe(Object o) {
      if (!(o instanceof String)) return String.valueOf(o);
      String s = (String) o;
      StringBuilder b = new StringBuilder("\"");
      for (int k = 0; k < s.length() && k < 40; k++) {
        char ch = s.charAt(k);
        if (ch >= 0x20 && ch < 0x7F) b.append(ch); else b.append(String.format("\\u%04x", (int) ch));
      }
      return b.append(s.length() > 40 ? "...\" (" + s.length() + " units)" : "\"").toString();
    }
    public void i(int v) throws IOException { int g = in.readInt(); expect(g == v, v, g); }
    public void l(long v) throws IOException { long g = in.readLong(); expect(g == v, v, g); }
    public void s(short v) throws IOException { short g = in.readShort(); expect(g == v, v, g); }
    public void c(char v) throws IOException { char g = in.readChar(); expect(g == v, (int) v, (int) g); }
    public void f(float v) throws IOException {
      float g = in.readFloat();
      expect(Float.floatToRawIntBits(g) == Float.floatToRawIntBits(v), v, g);
    }
    public void d(double v) throws IOException {
      double g = in.readDouble();
      expect(Double.doubleToRawLongBits(g) == Double.doubleToRawLongBits(v), v, g);
    }
    public void z(boolean v) throws IOException { boolean g = in.readBoolean(); expect(g == v, v, g); }
    public void b(byte v) throws IOException { byte g = in.readByte(); expect(g == v, v, g); }
    public void utf(String v) throws IOException { String g = in.readUTF(); expect(g.equals(v), v, g); }
    public void str(String v) throws IOException {
      int n = in.readInt();
      StringBuilder b = new StringBuilder();
      for (int k = 0; k < n; k++) b.append(in.readChar());
      String g = b.toString();
      expect(g.equals(v), v, g);
    }
  }

  static void numbers(Side s) throws IOException {
    for (int v : new int[] {0, 1, -1, 0x12345678, Integer.MIN_VALUE, Integer.MAX_VALUE}) s.i(v);
    for (long v : new long[] {0L, -1L, 4294967298L, 0x0123456789ABCDEFL, Long.MIN_VALUE, Long.MAX_VALUE}) s.l(v);
    for (short v : new short[] {0, -2, 0x1234, Short.MIN_VALUE, Short.MAX_VALUE}) s.s(v);
    for (char v : new char[] {0, 'A', '\u00e9', '\u20ac', '\ud800', '\uffff'}) s.c(v);
    for (float v : new float[] {0f, -0f, 1f, -2.5f, 3.1415927f, Float.MIN_VALUE, Float.MAX_VALUE,
                                Float.POSITIVE_INFINITY, Float.NEGATIVE_INFINITY, Float.NaN}) s.f(v);
    for (double v : new double[] {0d, -0d, 1d, -2.5d, Math.PI, Double.MIN_VALUE, Double.MAX_VALUE,
                                  Double.POSITIVE_INFINITY, Double.NEGATIVE_INFINITY, Double.NaN}) s.d(v);
    s.z(true);
    s.z(false);
    for (byte v : new byte[] {0, 1, -1, Byte.MIN_VALUE, Byte.MAX_VALUE}) s.b(v);
  }

  // Windows-1252 bytes 0x80..0x9F; the five undefined ones stand for the C1 control of the same value.
  static final char[] HIGH = {
      '\u20ac', '\u0081', '\u201a', '\u0192', '\u201e', '\u2026', '\u2020', '\u2021',
      '\u02c6', '\u2030', '\u0160', '\u2039', '\u0152', '\u008d', '\u017d', '\u008f',
      '\u0090', '\u2018', '\u2019', '\u201c', '\u201d', '\u2022', '\u2013', '\u2014',
      '\u02dc', '\u2122', '\u0161', '\u203a', '\u0153', '\u009d', '\u017e', '\u0178'};

  static String repeat(String unit, int times) {
    StringBuilder b = new StringBuilder();
    for (int k = 0; k < times; k++) b.append(unit);
    return b.toString();
  }

  // Texts that Windows-1252 holds; the C++ side has the same list as 8-bit text.
  static String[] sharedTexts() {
    StringBuilder every = new StringBuilder();
    for (int v = 1; v <= 0xFF; v++) every.append(v >= 0x80 && v <= 0x9F ? HIGH[v - 0x80] : (char) v);
    StringBuilder cycle = new StringBuilder();
    for (int k = 0; k < 100000; k++) cycle.append(every.charAt(k % every.length()));
    return new String[] {
        "", "abc", "Gr\u00fc\u00dfe, caf\u00e9 \u20ac5", "a\u0000b", every.toString(),
        repeat("x", 65535), repeat("\u20ac", 21845), repeat("\u00e9", 32767) + "z", cycle.toString()};
  }

  // Texts only this side writes: the C++ side reads them as 8-bit text.
  static String[] javaTexts() {
    return new String[] {
        "\u0000", "x\u0000yz", "\ud800", "\udc00", "x\ud83d\ude00y", "\u4e2d\u6587", "\u0100\u0394\u05d0",
        "\u00e9\u20ac\ufffd", repeat("\u4e2d", 21845)};
  }

  static void texts(Side s, String[] list) throws IOException {
    for (String t : list) {
      if (utfLength(t) <= 65535) s.utf(t);  // longer texts only fit the String form
      s.str(t);
    }
  }

  static int utfLength(String t) {
    int n = 0;
    for (int k = 0; k < t.length(); k++) {
      char ch = t.charAt(k);
      n += (ch >= 1 && ch <= 0x7F) ? 1 : ch > 0x7FF ? 3 : 2;
    }
    return n;
  }

  public static void main(String[] args) throws IOException {
    if (args.length != 2) {
      System.err.println("usage: DataPeer write|write-common|check FILE");
      System.exit(2);
    }
    Path file = Paths.get(args[1]);
    switch (args[0]) {
      case "write":
      case "write-common": {
        ByteArrayOutputStream bytes = new ByteArrayOutputStream();
        DataOutputStream out = new DataOutputStream(bytes);
        Writer w = new Writer(out);
        numbers(w);
        texts(w, sharedTexts());
        if (args[0].equals("write")) texts(w, javaTexts());
        out.flush();
        Files.write(file, bytes.toByteArray());
        break;
      }
      case "check": {
        DataInputStream in = new DataInputStream(new ByteArrayInputStream(Files.readAllBytes(file)));
        Checker c = new Checker(in);
        try {
          numbers(c);
          texts(c, sharedTexts());
        } catch (IOException e) {
          System.err.println("read failed at value " + c.index + ": " + e);
          System.exit(1);
        }
        if (in.read() != -1) {
          System.err.println("bytes left after the last value");
          c.failures++;
        }
        System.out.println("checked " + c.index + " values, " + c.failures + " mismatches");
        System.exit(c.failures == 0 ? 0 : 1);
        break;
      }
      default:
        System.err.println("unknown mode " + args[0]);
        System.exit(2);
    }
  }
}
