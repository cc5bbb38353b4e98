// SPDX-License-Identifier: Apache-2.0
// java.io half of the data-stream throughput comparison: the same work as
// stream_throughput.cpp, printed as "name writeMBps readMBps" lines.
import java.io.*;

public final class DataBench {
  static final int INTS = 1 << 22;
  static final int TEXTS = 4096;
  static final int ROUNDS = 7;

  interface Work { void run() throws IOException; }

  static double bestSeconds(Work w) throws IOException {
    double best = Double.MAX_VALUE;
    for (int r = 0; r < ROUNDS; r++) {
      long t0 = System.nanoTime();
      w.run();
      best = Math.min(best, (System.nanoTime() - t0) / 1e9);
    }
    return best;
  }

  static String text() {
    StringBuilder b = new StringBuilder();
    String words = "Attribute value caf\u00e9 na\u00efve \u20ac 42 ";
    while (b.length() < 1024) b.append(words.charAt(b.length() % words.length()));
    return b.toString();
  }

  static long sink = 0;

  public static void main(String[] args) throws IOException {
    final String text = text();
    // writeInt / readInt
    final ByteArrayOutputStream ints = new ByteArrayOutputStream(INTS * 4);
    double w = bestSeconds(() -> {
      ints.reset();
      DataOutputStream out = new DataOutputStream(ints);
      for (int i = 0; i < INTS; i++) out.writeInt(i * 31);
    });
    final byte[] intBytes = ints.toByteArray();
    double r = bestSeconds(() -> {
      DataInputStream in = new DataInputStream(new ByteArrayInputStream(intBytes));
      long sum = 0;
      for (int i = 0; i < INTS; i++) sum += in.readInt();
      sink += sum;
    });
    report("int", intBytes.length, w, r);

    // String form: 32-bit count, then UTF-16 units
    final ByteArrayOutputStream strings = new ByteArrayOutputStream();
    w = bestSeconds(() -> {
      strings.reset();
      DataOutputStream out = new DataOutputStream(strings);
      for (int i = 0; i < TEXTS; i++) {
        out.writeInt(text.length());
        out.writeChars(text);
      }
    });
    final byte[] stringBytes = strings.toByteArray();
    r = bestSeconds(() -> {
      DataInputStream in = new DataInputStream(new ByteArrayInputStream(stringBytes));
      for (int i = 0; i < TEXTS; i++) {
        int n = in.readInt();
        char[] units = new char[n];
        for (int k = 0; k < n; k++) units[k] = in.readChar();
        sink += new String(units).length();
      }
    });
    report("string-1KiB", stringBytes.length, w, r);

    // Modified UTF-8
    final ByteArrayOutputStream utf = new ByteArrayOutputStream();
    w = bestSeconds(() -> {
      utf.reset();
      DataOutputStream out = new DataOutputStream(utf);
      for (int i = 0; i < TEXTS; i++) out.writeUTF(text);
    });
    final byte[] utfBytes = utf.toByteArray();
    r = bestSeconds(() -> {
      DataInputStream in = new DataInputStream(new ByteArrayInputStream(utfBytes));
      for (int i = 0; i < TEXTS; i++) sink += in.readUTF().length();
    });
    report("utf-1KiB", utfBytes.length, w, r);
    if (sink == 42) System.out.println();
  }

  static void report(String name, long bytes, double writeSeconds, double readSeconds) {
    System.out.printf("%s %.1f %.1f%n", name, bytes / 1e6 / writeSeconds, bytes / 1e6 / readSeconds);
  }
}
