// SPDX-License-Identifier: Apache-2.0
import java.io.DataInputStream;
import java.io.DataOutputStream;
import java.io.EOFException;
import java.io.FileInputStream;
import java.io.FileOutputStream;
import java.io.IOException;
import java.util.ArrayList;
import java.util.List;

/**
 * The server side of an attribute exchange, written with java.io alone.
 *   write FILE   writes the list below: writeInt(count), then writeInt(length) + writeChars
 *                for every name and value
 *   verify FILE  reads a list from FILE the same way and exits 0 when it is the list below
 *                and nothing follows it
 * Every text is representable in Windows-1252.
 */
public final class AttributeListPeer {
  private static final String[][] LIST = {
    {"TORV_SERVER_IP", "127.0.0.1"},
    {"Stra\u00DFe", "Gr\u00FC\u00DFe aus K\u00F6ln"},
    {"price", "\u20AC 12,50"},
    {"quote", "\u201EZitat\u201C \u2013 \u2026"},
    {"empty", ""},
    {"\u0152uvre", "\u0153 \u017E \u0178 \u00A0 \u00FF"},
    {"controls", "a\tb\r\nc"},
    {"long", "x".repeat(3000)},
  };

  private AttributeListPeer() {}

  private static void writeText(DataOutputStream out, String text) throws IOException {
    out.writeInt(text.length());
    out.writeChars(text);
  }

  private static String readText(DataInputStream in) throws IOException {
    int length = in.readInt();
    if (length < 0) throw new IOException("negative length " + length);
    StringBuilder text = new StringBuilder(length);
    for (int i = 0; i < length; i++) text.append(in.readChar());
    return text.toString();
  }

  public static void main(String[] args) throws IOException {
    if (args.length != 2) {
      System.err.println("usage: AttributeListPeer write|verify FILE");
      System.exit(2);
    }
    if (args[0].equals("write")) {
      try (DataOutputStream out = new DataOutputStream(new FileOutputStream(args[1]))) {
        out.writeInt(LIST.length);
        for (String[] entry : LIST) {
          writeText(out, entry[0]);
          writeText(out, entry[1]);
        }
      }
      return;
    }
    List<String> problems = new ArrayList<>();
    try (DataInputStream in = new DataInputStream(new FileInputStream(args[1]))) {
      int count = in.readInt();
      if (count != LIST.length) problems.add("count " + count + ", expected " + LIST.length);
      for (int i = 0; i < Math.min(count, LIST.length); i++) {
        String name = readText(in);
        String value = readText(in);
        if (!name.equals(LIST[i][0])) problems.add("name " + i + " differs");
        if (!value.equals(LIST[i][1])) problems.add("value " + i + " differs");
      }
      if (in.read() != -1) problems.add("bytes follow the list");
    } catch (EOFException e) {
      problems.add("the list ends early");
    }
    for (String problem : problems) System.err.println(problem);
    System.exit(problems.isEmpty() ? 0 : 1);
  }
}
