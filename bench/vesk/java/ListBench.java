// SPDX-License-Identifier: Apache-2.0
// java.io half of the attribute-list comparison in vesk_bench: receives a list of ENTRIES
// name/value pairs in the String form (32-bit count, then UTF-16 units) with a
// DataInputStream, keeps it in a LinkedHashMap and writes it back with a DataOutputStream.
// Prints "list-<entries> <best milliseconds>".
import java.io.*;
import java.util.*;

public final class ListBench {
  static final int ROUNDS = 7;

  static String name(int i) { return "attribute." + (1000000 + i); }

  static void writeText(DataOutputStream out, String s) throws IOException {
    out.writeInt(s.length());
    out.writeChars(s);
  }

  static String readText(DataInputStream in) throws IOException {
    int n = in.readInt();
    if (n == -1) return "<NULL>";
    if (n < -1) throw new IOException("A malformed string has been read in a data input stream.");
    char[] units = new char[n];
    for (int k = 0; k < n; k++) units[k] = in.readChar();
    return new String(units);
  }

  static byte[] wire(int entries) throws IOException {
    ByteArrayOutputStream bytes = new ByteArrayOutputStream();
    DataOutputStream out = new DataOutputStream(bytes);
    out.writeInt(entries);
    for (int i = 0; i < entries; i++) {
      writeText(out, name(i));
      writeText(out, "value " + i);
    }
    return bytes.toByteArray();
  }

  static byte[] receiveAndHandBack(byte[] wire) throws IOException {
    DataInputStream in = new DataInputStream(new ByteArrayInputStream(wire));
    int count = in.readInt();
    LinkedHashMap<String, String> list = new LinkedHashMap<>();
    for (int i = 0; i < count; i++) {
      String name = readText(in);
      String value = readText(in);
      list.put(name, value);
    }
    ByteArrayOutputStream bytes = new ByteArrayOutputStream();
    DataOutputStream out = new DataOutputStream(bytes);
    out.writeInt(list.size());
    for (Map.Entry<String, String> e : list.entrySet()) {
      writeText(out, e.getKey());
      writeText(out, e.getValue());
    }
    out.flush();
    return bytes.toByteArray();
  }

  public static void main(String[] args) throws IOException {
    int entries = args.length > 0 ? Integer.parseInt(args[0]) : 100000;
    byte[] wire = wire(entries);
    double best = Double.MAX_VALUE;
    for (int r = 0; r < ROUNDS; r++) {
      long t0 = System.nanoTime();
      byte[] back = receiveAndHandBack(wire);
      best = Math.min(best, (System.nanoTime() - t0) / 1e6);
      if (!Arrays.equals(back, wire)) throw new IOException("list came back changed");
    }
    System.out.printf("list-%d %.2f%n", entries, best);
  }
}
