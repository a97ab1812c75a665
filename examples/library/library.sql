-- A lending library: the second demo database. Where the shop sample shows the grid's kinds of
-- value, this one shows what real databases hold and a table browser must cope with: foreign
-- keys, a composite key, a table without rowid, a full-text virtual table (with its shadow
-- tables), a column whose values differ in type, NULLs, names that need quoting, stored markup
-- and text in many scripts. The build turns it into library.db (build/examples/library/).
PRAGMA foreign_keys = ON;

BEGIN;

CREATE TABLE authors (
  id INTEGER PRIMARY KEY,
  name TEXT NOT NULL,
  born DATE,
  country TEXT
);

INSERT INTO authors (id, name, born, country) VALUES
  (1, 'Halldór Laxness', '1902-04-23', 'Ísland'),
  (2, 'Wisława Szymborska', '1923-07-02', 'Polska'),
  (3, 'Ōe Kenzaburō', '1935-01-31', '日本'),
  (4, 'Chinua Achebe', '1930-11-16', 'Nigeria'),
  (5, 'José Saramago', '1922-11-16', 'Portugal'),
  (6, 'Фёдор Достоевский', '1821-11-11', 'Россия'),
  (7, 'Naguib Mahfouz', '1911-12-11', 'مصر'),
  (8, 'Anonymous', NULL, NULL);

CREATE TABLE books (
  isbn TEXT PRIMARY KEY,
  title TEXT NOT NULL,
  published INTEGER,
  price DECIMAL(8, 2),
  pages INTEGER,
  "shelf code" VARCHAR(12),
  summary TEXT,
  cover BLOB
);

INSERT INTO books (isbn, title, published, price, pages, "shelf code", summary, cover) VALUES
  ('978-0-679-76723-1', 'Independent People', 1934, 18.95, 470, 'LAX-1',
   'Bjartur of Summerhouses wants nothing but his own land.', X'89504E470D0A1A0A'),
  ('978-0-15-603158-5', 'View with a Grain of Sand', 1995, 14.00, 216, 'SZY-1', NULL, NULL),
  ('978-0-8021-5184-3', 'A Personal Matter', 1964, 15.50, 165, 'OE-1',
   'Bird, a young teacher, faces the birth of his son.', NULL),
  ('978-0-385-47454-2', 'Things Fall Apart', 1958, 12.00, 209, 'ACH-1',
   'Okonkwo of Umuofia, and what came after.', X'FFD8FFE000104A464946'),
  ('978-0-15-100591-7', 'Blindness', 1995, 16.99, 326, 'SAR-1',
   '<b>An epidemic</b> of white blindness <script>alert(1)</script>', NULL),
  ('978-0-14-044913-6', 'Преступление и наказание', 1866, 13.00, 671, NULL,
   'Раскольников и его идея.', NULL),
  ('978-0-385-26466-2', 'Palace Walk', 1956, NULL, 498, 'MAH-1',
   char(10) || 'Cairo, 1917: the family of al-Sayyid Ahmad.', NULL),
  ('978-4-10-112608-9', '個人的な体験', 1964, 7.70, 256, 'OE-2', '日本語の原書 📚', NULL);

-- The composite key: one row per author of a book.
CREATE TABLE book_authors (
  isbn TEXT NOT NULL REFERENCES books (isbn),
  author_id INTEGER NOT NULL REFERENCES authors (id),
  role TEXT NOT NULL DEFAULT 'author',
  PRIMARY KEY (isbn, author_id)
) WITHOUT ROWID;

INSERT INTO book_authors (isbn, author_id, role) VALUES
  ('978-0-679-76723-1', 1, 'author'),
  ('978-0-15-603158-5', 2, 'poet'),
  ('978-0-8021-5184-3', 3, 'author'),
  ('978-4-10-112608-9', 3, 'author'),
  ('978-0-385-47454-2', 4, 'author'),
  ('978-0-15-100591-7', 5, 'author'),
  ('978-0-14-044913-6', 6, 'author'),
  ('978-0-385-26466-2', 7, 'author'),
  ('978-0-385-26466-2', 8, 'translator');

CREATE TABLE members (
  id INTEGER PRIMARY KEY AUTOINCREMENT,
  name TEXT NOT NULL,
  email TEXT UNIQUE,
  joined TIMESTAMP NOT NULL,
  active BOOLEAN NOT NULL DEFAULT 1
);

INSERT INTO members (name, email, joined, active) VALUES
  ('Ingrid Bergström', 'ingrid@example.org', '2021-03-14 10:15:00', 1),
  ('Søren Kierkegaard-Hansen', NULL, '2022-08-01 16:40:00', 1),
  ('Zoë O''Brien', 'zoe@example.org', '2023-01-09 09:05:00', 0),
  ('محمد علي', 'm.ali@example.org', '2024-05-20 12:00:00', 1);

CREATE TABLE loans (
  id INTEGER PRIMARY KEY,
  isbn TEXT NOT NULL REFERENCES books (isbn),
  member_id INTEGER NOT NULL REFERENCES members (id),
  lent DATE NOT NULL,
  returned DATE,
  fee REAL
);

INSERT INTO loans (id, isbn, member_id, lent, returned, fee) VALUES
  (1, '978-0-679-76723-1', 1, '2024-02-01', '2024-02-20', NULL),
  (2, '978-0-15-100591-7', 2, '2024-03-05', NULL, NULL),
  (3, '978-0-385-47454-2', 4, '2024-03-07', '2024-04-30', 2.5),
  (4, '978-0-679-76723-1', 3, '2024-06-11', NULL, 0.75);

-- A column without a declared type holds what it is given: numbers, text, a blob, NULL.
CREATE TABLE shelf_labels (
  id INTEGER PRIMARY KEY,
  label
);

INSERT INTO shelf_labels (id, label) VALUES
  (1, 'Nordic fiction'),
  (2, 42),
  (3, 3.5),
  (4, X'00FF10'),
  (5, NULL),
  (6, 'Ünïcødé ✓');

-- Full-text search over titles and summaries: a virtual table with shadow tables of its own.
CREATE VIRTUAL TABLE book_search USING fts5 (title, summary);
INSERT INTO book_search (title, summary) SELECT title, summary FROM books;

CREATE VIEW open_loans AS
  SELECT loans.id, books.title, members.name AS member, loans.lent
  FROM loans JOIN books ON books.isbn = loans.isbn JOIN members ON members.id = loans.member_id
  WHERE loans.returned IS NULL;

COMMIT;
