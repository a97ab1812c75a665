-- Sample shop database for the kelvo program and the examples. The build turns this file into
-- sample.db (build/examples/sample/sample.db). Declared column types are chosen so that the
-- grid shows each kind of value: text, integer, money, Boolean, date and timestamp.
PRAGMA foreign_keys = ON;

BEGIN;

CREATE TABLE categories (
  name VARCHAR(30) PRIMARY KEY,
  description VARCHAR(120) NOT NULL
);

INSERT INTO categories (name, description) VALUES
  ('Appliances', 'Small electric kitchen appliances'),
  ('Books', 'Cookbooks and guides'),
  ('Coffee', 'Beans, ground coffee and brewing supplies'),
  ('Gifts', 'Gift cards and tasting boxes'),
  ('Kitchen', 'Knives, pans and utensils'),
  ('Pantry', 'Oils, flours, spices and sweeteners'),
  ('Tableware', 'Cups, plates, glasses and serving pieces'),
  ('Tea', 'Loose tea and tea bags'),
  ('Textiles', 'Aprons, towels and table linen');

CREATE TABLE products (
  id INTEGER PRIMARY KEY AUTOINCREMENT,
  name VARCHAR(60) NOT NULL,
  category VARCHAR(30) REFERENCES categories (name),
  price MONEY,
  in_stock BOOLEAN NOT NULL DEFAULT 1,
  added DATE,
  notes TEXT
);

INSERT INTO products (name, category, price, in_stock, added, notes) VALUES
  ('Espresso beans 1 kg', 'Coffee', 24.90, 1, '2024-01-01', 'Dark roast, Brazil and Ethiopia blend'),
  ('Filter coffee 500 g', 'Coffee', 9.50, 1, '2023-06-12', NULL),
  ('Decaf beans 250 g', 'Coffee', 7.25, 1, '2023-11-23', 'Swiss water process'),
  ('Cold brew concentrate', 'Coffee', 11.00, 0, '2024-04-06', 'Keep refrigerated after opening'),
  ('Green tea sencha 100 g', 'Tea', 8.40, 1, '2023-09-17', NULL),
  ('Earl Grey 50 bags', 'Tea', 5.95, 1, '2023-02-28', 'Bergamot & black tea'),
  ('Rooibos vanilla 100 g', 'Tea', 6.80, 1, '2024-07-11', NULL),
  ('Chamomile 30 bags', 'Tea', 4.20, 1, '2023-12-22', NULL),
  ('Matcha powder 30 g', 'Tea', 18.00, 1, '2023-05-05', 'Ceremonial grade'),
  ('Ceramic mug 350 ml', 'Tableware', 12.00, 1, '2024-10-16', 'Dishwasher safe'),
  ('Glass teapot 1 l', 'Tableware', 29.50, 0, '2023-03-27', 'Includes steel infuser'),
  ('Espresso cups, set of 4', 'Tableware', 22.00, 1, '2023-08-10', NULL),
  ('Stoneware plate 27 cm', 'Tableware', 9.90, 1, '2024-01-21', NULL),
  ('Linen napkins, set of 6', 'Tableware', 19.75, 1, '2023-06-04', 'Natural colour'),
  ('Chef''s knife 20 cm', 'Kitchen', 64.00, 1, '2023-11-15', 'Forged steel, full tang'),
  ('Paring knife 9 cm', 'Kitchen', 18.50, 1, '2024-04-26', NULL),
  ('Cutting board, oak', 'Kitchen', 42.00, 1, '2023-09-09', 'Oil before first use'),
  ('Cast iron pan 26 cm', 'Kitchen', 55.00, 0, '2023-02-20', 'Pre-seasoned'),
  ('Crème brûlée torch', 'Kitchen', 27.95, 1, '2024-07-03', 'Butane not included'),
  ('Salt & pepper mills', 'Kitchen', 34.00, 1, '2023-12-14', 'Ceramic grinders, adjustable'),
  ('Silicone spatula', 'Kitchen', 6.50, 1, '2023-05-25', NULL),
  ('Digital kitchen scale', 'Kitchen', 25.00, 1, '2024-10-08', 'Weighs up to 5 kg in 1 g steps'),
  ('Measuring spoons', 'Kitchen', 7.90, 1, '2023-03-19', NULL),
  ('Stand mixer 5 l', 'Appliances', 349.00, 1, '2023-08-02', 'Ten speeds, three attachments'),
  ('Electric kettle 1.7 l', 'Appliances', 45.00, 0, '2024-01-13', NULL),
  ('Burr grinder', 'Appliances', 129.00, 1, '2023-06-24', '40 grind settings'),
  ('Milk frother', 'Appliances', 39.90, 1, '2023-11-07', NULL),
  ('Toaster, 2 slots', 'Appliances', 49.00, 1, '2024-04-18', NULL),
  ('Espresso machine', 'Appliances', 489.00, 1, '2023-09-01', '15 bar pump, steam wand'),
  ('Sourdough flour 2 kg', 'Pantry', 6.20, 1, '2023-02-12', NULL),
  ('Extra virgin olive oil 750 ml', 'Pantry', 14.50, 1, '2024-07-23', 'Cold pressed, harvest 2023'),
  ('Balsamic vinegar 250 ml', 'Pantry', 11.80, 0, '2023-12-06', 'Aged 12 years'),
  ('Sea salt flakes 250 g', 'Pantry', 5.40, 1, '2023-05-17', NULL),
  ('Wildflower honey 500 g', 'Pantry', 9.95, 1, '2024-10-28', NULL),
  ('Dark chocolate 85%', 'Pantry', 3.80, 1, '2023-03-11', NULL),
  ('Smoked paprika 70 g', 'Pantry', 4.60, 1, '2023-08-22', NULL),
  ('Basmati rice 1 kg', 'Pantry', 4.10, 1, '2024-01-05', NULL),
  ('Maple syrup 250 ml', 'Pantry', 12.90, 1, '2023-06-16', 'Grade A amber'),
  ('Apron, canvas', 'Textiles', 24.00, 0, '2023-11-27', 'Adjustable neck strap'),
  ('Tea towels, set of 3', 'Textiles', 15.50, 1, '2024-04-10', NULL),
  ('Oven mitts, pair', 'Textiles', 16.00, 1, '2023-09-21', NULL),
  ('Table runner 180 cm', 'Textiles', 21.00, 1, '2023-02-04', NULL),
  ('Cookbook: Everyday Bread', 'Books', 28.00, 1, '2024-07-15', 'Hardcover, 240 pages'),
  ('Cookbook: Quick Suppers', 'Books', 24.50, 1, '2023-12-26', NULL),
  ('Guide to Coffee Brewing', 'Books', 19.90, 1, '2023-05-09', 'Second edition'),
  ('Gift card 25', 'Gifts', 25.00, 0, '2024-10-20', 'Valid for 3 years'),
  ('Gift card 50', 'Gifts', 50.00, 1, '2023-03-03', 'Valid for 3 years'),
  ('Tasting box: teas', 'Gifts', 32.00, 1, '2023-08-14', 'Six teas, 20 g each'),
  ('Tasting box: coffees', 'Gifts', 36.00, 1, '2024-01-25', 'Three origins, 250 g each'),
  ('Pour-over dripper', 'Coffee', 21.00, 1, '2023-06-08', 'Ceramic, size 02'),
  ('Paper filters, 100', 'Coffee', 4.50, 1, '2023-11-19', NULL),
  ('Gooseneck kettle', 'Appliances', 59.00, 1, '2024-04-02', 'Temperature control 40 to 100 °C'),
  ('Storage jars, set of 3', 'Kitchen', 26.00, 0, '2023-09-13', 'Airtight bamboo lids'),
  ('Rolling pin, beech', 'Kitchen', 13.00, 1, '2023-02-24', NULL),
  ('Muffin tin, 12 cups', 'Kitchen', 17.90, 1, '2024-07-07', NULL),
  ('Bread knife 23 cm', 'Kitchen', 39.00, 1, '2023-12-18', NULL),
  ('Herb scissors', 'Kitchen', 12.50, 1, '2023-05-01', NULL),
  ('Wine glasses, set of 2', 'Tableware', 27.00, 1, '2024-10-12', 'Lead-free crystal'),
  ('Serving bowl 28 cm', 'Tableware', 33.00, 1, '2023-03-23', NULL),
  ('Salad servers, olive wood', 'Tableware', 18.00, 0, '2023-08-06', NULL),
  ('Jasmine pearls 50 g', 'Tea', 13.50, 1, '2024-01-17', NULL),
  ('Descaler 500 ml', 'Appliances', 8.90, 1, '2023-06-28', 'For kettles and espresso machines');

CREATE TABLE customers (
  id INTEGER PRIMARY KEY AUTOINCREMENT,
  name VARCHAR(60) NOT NULL,
  email VARCHAR(80),
  city VARCHAR(40),
  country CHAR(2),
  credit_limit MONEY,
  active BOOLEAN NOT NULL DEFAULT 1,
  joined DATETIME
);

INSERT INTO customers (name, email, city, country, credit_limit, active, joined) VALUES
  ('Harbour Street Café', 'orders@harbourstreet.example', 'Bergen', 'NO', 2500.00, 1, '2021-03-14 09:30:00'),
  ('Åsgard Bakeri', 'post@asgardbakeri.example', 'Trondheim', 'NO', 1800.00, 1, '2021-06-02 14:05:00'),
  ('Kaffeehaus Lindenhof', 'einkauf@lindenhof.example', 'München', 'DE', 4000.00, 1, '2021-09-21 11:00:00'),
  ('Bäckerei Sonnenberg', 'info@sonnenberg.example', 'Köln', 'DE', 1200.00, 0, '2021-11-08 08:15:00'),
  ('The Copper Kettle', 'hello@copperkettle.example', 'York', 'GB', 3000.00, 1, '2022-01-17 16:45:00'),
  ('Green Leaf Tea Room', NULL, 'Bath', 'GB', 900.00, 1, '2022-02-28 10:20:00'),
  ('Fjordutsikt Hotell', 'innkjop@fjordutsikt.example', 'Ålesund', 'NO', 6000.00, 1, '2022-04-11 13:00:00'),
  ('Nordlys Kantine', 'kantine@nordlys.example', 'Tromsø', 'NO', 1500.00, 1, '2022-05-30 07:50:00'),
  ('Café Grünewald', 'cafe@gruenewald.example', 'Hamburg', 'DE', 2200.00, 1, '2022-07-04 12:10:00'),
  ('Riverside Deli', 'deli@riverside.example', 'Cork', 'IE', 1000.00, 0, '2022-08-19 15:35:00'),
  ('Morgenrot Rösterei', 'roesterei@morgenrot.example', 'Leipzig', 'DE', 5000.00, 1, '2022-10-03 09:00:00'),
  ('Sjøbua Restaurant', 'booking@sjobua.example', 'Stavanger', 'NO', 3500.00, 1, '2022-11-22 17:25:00'),
  ('Oak & Ember Bistro', 'kitchen@oakember.example', 'Leeds', 'GB', 2800.00, 1, '2023-01-09 11:40:00'),
  ('Lindqvist Catering', NULL, 'Oslo', 'NO', 4500.00, 1, '2023-02-15 10:00:00'),
  ('Teestube Am Markt', 'teestube@ammarkt.example', 'Bremen', 'DE', 700.00, 1, '2023-04-01 14:30:00'),
  ('Hilltop School Canteen', 'canteen@hilltop.example', 'Exeter', 'GB', 2000.00, 1, '2023-05-23 08:05:00'),
  ('Brygga Kaffebar', 'hei@brygga.example', 'Kristiansand', 'NO', 1300.00, 0, '2023-07-12 13:55:00'),
  ('Weinstube Kellerhof', 'kellerhof@weinstube.example', 'Freiburg', 'DE', 2600.00, 1, '2023-09-06 18:00:00'),
  ('Seaview Guest House', 'stay@seaview.example', 'Brighton', 'GB', 800.00, 1, '2023-10-30 09:45:00'),
  ('Polarstjerna Bakeri', 'bestilling@polarstjerna.example', 'Bodø', 'NO', 1100.00, 1, '2024-01-18 07:30:00');

COMMIT;
