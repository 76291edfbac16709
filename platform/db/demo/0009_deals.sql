-- Demo deals: about two hundred deals of the last eight months with the
-- directory's buyers, suppliers and carriers, positions from the catalogue,
-- development-work requests, shipping sheets for what went out and a few
-- attached files. Generated from a fixed seed, so every new database looks
-- the same. Older deals are further along: most of them shipped or closed.

do $$
declare
    v_bases text[] := array[
        'Заявка покупателя по электронной почте',
        'Письмо-запрос на поставку',
        'Договор поставки, спецификация № %s',
        'Счёт на оплату № %s',
        'Тендер на электронной площадке, лот %s',
        'Повторный заказ по прошлогоднему договору',
        'Коммерческое предложение № %s, согласовано',
        'Заявка с выставки «Электро-2024»',
        'Телефонный заказ, подтверждён письмом',
        'Рамочный договор, заявка № %s'];
    v_comments text[] := array[
        'Оплата 50% предоплата, 50% по факту отгрузки',
        'Покупатель просит отгрузить одной партией',
        'Срок согласован с главным инженером покупателя',
        'Нужны паспорта и сертификаты на все позиции',
        'Упаковка в деревянную обрешётку',
        'Доставка до терминала ТК за счёт покупателя',
        null, null, null];
    v_requests text[] := array[
        'Разработать шкаф управления насосной станцией на 3 насоса с частотным пуском',
        'Доработать корпус щита под уличную установку, степень защиты IP65',
        'Разработать печатную плату контроллера освещения с интерфейсом RS-485',
        'Подобрать аналог снятого с производства реле времени',
        'Разработать кабельную сборку длиной 12 м с разъёмами по чертежу заказчика',
        'Изменить схему учёта на трансформаторное включение'];
    v_problems text[] := array[
        'Нет на складе поставщика, срок поставки 6 недель',
        'Требуется согласование чертежа с заказчиком',
        null, null, null, null];
    v_addresses text[] := array[
        'г. Нижний Новгород, ул. Бетанкура, д. 2, склад 4',
        'г. Тверь, ул. Склизкова, д. 48',
        'г. Самара, Заводское шоссе, д. 11',
        'Московская обл., г. Подольск, ул. Железнодорожная, д. 2',
        null, null];
    v_buyers bigint[];
    v_suppliers bigint[];
    v_carriers bigint[];
    v_items bigint[];
    v_users integer[];
    v_divisions integer[];
    v_request_docs integer[];
    v_deal bigint;
    v_state integer;
    v_age double precision;
    v_created timestamp;
    v_item bigint;
    v_price double precision;
    v_qty double precision;
    v_sheet bigint;
    v_unit integer;
    i integer;
    k integer;
begin
    perform setseed(0.2024);

    select array_agg(c.id order by c.id) into v_buyers
      from jur.t_contractor c
     where exists (select 1 from jur.t_cont_cont_type t where t.id_contractor = c.id and t.id_contractor_type = 2);
    select array_agg(c.id order by c.id) into v_suppliers
      from jur.t_contractor c
     where exists (select 1 from jur.t_cont_cont_type t where t.id_contractor = c.id and t.id_contractor_type = 1);
    select array_agg(c.id order by c.id) into v_carriers
      from jur.t_contractor c
     where exists (select 1 from jur.t_cont_cont_type t where t.id_contractor = c.id and t.id_contractor_type = 4);
    select array_agg(id order by id) into v_items from dirs.t_item;
    select array_agg(id order by id) into v_users from sys.t_user;
    select array_agg(id order by id) into v_divisions from sys.t_division where not b_is_del;
    select array_agg(id order by id) into v_request_docs from jur.t_deal_request_doc;

    if v_buyers is null or v_items is null then
        return;
    end if;

    for i in 1..204 loop
        -- Days ago, denser towards today as a growing business would have it.
        v_age := 240 * power(random(), 1.4);
        v_created := date_trunc('minute', now() - make_interval(days => v_age::integer)
                     - make_interval(hours => (random() * 9)::integer));
        v_state := case
            when v_age > 150 then (array[4, 5, 5, 5, 6])[1 + floor(random() * 5)::integer]
            when v_age > 60 then (array[2, 3, 4, 4, 5, 6])[1 + floor(random() * 6)::integer]
            when v_age > 20 then (array[1, 2, 2, 3, 4])[1 + floor(random() * 5)::integer]
            else (array[1, 1, 1, 2])[1 + floor(random() * 4)::integer]
        end;

        insert into jur.t_deals (id_state, id_division, id_contractor, id_provider, id_transport_company,
                                 id_currency, id_creator, id_request_doc, id_payer_for_delivery, c_base,
                                 c_comment, c_address, c_sending_number, d_execution, d_create)
        values (v_state,
                v_divisions[1 + floor(random() * coalesce(array_length(v_divisions, 1), 0))::integer],
                v_buyers[1 + floor(random() * array_length(v_buyers, 1))::integer],
                case when random() < 0.6 then v_suppliers[1 + floor(random() * array_length(v_suppliers, 1))::integer] end,
                case when v_state in (3, 4, 5) and v_carriers is not null
                     then v_carriers[1 + floor(random() * array_length(v_carriers, 1))::integer] end,
                case when random() < 0.92 then 1 when random() < 0.6 then 2 else 3 end,
                v_users[1 + floor(random() * array_length(v_users, 1))::integer],
                v_request_docs[1 + floor(random() * coalesce(array_length(v_request_docs, 1), 0))::integer],
                1 + floor(random() * 3)::integer,
                format(v_bases[1 + floor(random() * array_length(v_bases, 1))::integer],
                       (10 + floor(random() * 390))::integer),
                v_comments[1 + floor(random() * array_length(v_comments, 1))::integer],
                v_addresses[1 + floor(random() * array_length(v_addresses, 1))::integer],
                case when v_state in (4, 5) then lpad((floor(random() * 99999999))::bigint::text, 10, '0') end,
                (v_created + make_interval(days => 14 + (random() * 60)::integer))::date,
                v_created)
        returning id into v_deal;

        -- Positions: one to four catalogue items, priced per unit with a margin.
        for k in 1..(1 + floor(random() * 4)::integer) loop
            v_item := v_items[1 + floor(random() * array_length(v_items, 1))::integer];
            select it.id_meas_unit into v_unit from dirs.t_item it where it.id = v_item;
            v_qty := (array[1, 2, 5, 10, 20, 50, 100])[1 + floor(random() * 7)::integer];
            v_price := round((200 + random() * 25000)::numeric, 2);
            insert into jur.t_deal_details (id_deal, b_okr, id_item, c_name, n_qty, id_meas_unit, n_cost,
                                            n_cost_add, n_sale_price, b_add_nds, id_vat, d_execution,
                                            b_ready_to_ship, c_problems)
            select v_deal, false, v_item, it.c_name, v_qty, coalesce(v_unit, it.id_meas_unit),
                   round((v_price * v_qty)::numeric, 2),
                   case when random() < 0.2 then round((v_price * v_qty * 0.05)::numeric, 2) else 0 end,
                   round((v_price * v_qty * (1.25 + random() * 0.2) * 1.2)::numeric, 2),
                   true, 3,
                   (v_created + make_interval(days => 14 + (random() * 60)::integer))::date,
                   case when v_state in (4, 5) then true
                        when v_state = 3 then random() < 0.6
                        when v_state = 2 then random() < 0.15
                        else false end,
                   case when v_state in (1, 2) then v_problems[1 + floor(random() * array_length(v_problems, 1))::integer] end
              from dirs.t_item it
             where it.id = v_item;
        end loop;

        -- Development-work requests for about one deal in five.
        if random() < 0.2 then
            insert into jur.t_deal_details (id_deal, b_okr, c_name, c_description, n_qty, n_cost, n_cost_add,
                                            n_sale_price, b_add_nds, id_vat, d_execution, c_url)
            select v_deal, true, left(r.c_text, 60),
                   '<p>' || r.c_text || '.</p><p>Техническое задание приложено к сделке.</p>',
                   1, round((30000 + random() * 200000)::numeric, 2), 0,
                   round((60000 + random() * 400000)::numeric, 2), true, 3,
                   (v_created + make_interval(days => 45 + (random() * 60)::integer))::date,
                   case when random() < 0.5 then 'https://example.ru/zakaz/' || v_deal end
              from (select v_requests[1 + floor(random() * array_length(v_requests, 1))::integer] as c_text) r;
        end if;

        -- What went out: one shipping sheet per shipped or closed deal.
        if v_state in (4, 5) then
            insert into inv.t_shipping_sheet (c_name, c_receiver, d_date, c_form)
            select 'Накладная № ' || (1000 + v_deal), c.c_name,
                   (v_created + make_interval(days => 10 + (random() * 40)::integer))::date,
                   '<h3>Упаковочный лист к накладной № ' || (1000 + v_deal) || '</h3><p>Получатель: '
                       || c.c_name || '</p>'
              from jur.t_deals d
              join jur.t_contractor c on c.id = d.id_contractor
             where d.id = v_deal
            returning id into v_sheet;
            insert into inv.t_shipping_sheet_item (id_sheet, id_item, n_qty)
            select v_sheet, x.id_item, x.n_qty
              from jur.t_deal_details x
             where x.id_deal = v_deal and not x.b_okr and x.id_item is not null;
            insert into jur.t_deal_link (id_sheet, id_deal) values (v_sheet, v_deal);
        end if;
    end loop;

    -- A few sheets of the warehouse that no deal holds yet, for linking.
    for i in 1..6 loop
        insert into inv.t_shipping_sheet (c_name, c_receiver, d_date, c_form)
        values ('Накладная № ' || (5000 + i),
                (select c.c_name from jur.t_contractor c where c.id = v_buyers[1 + (i % array_length(v_buyers, 1))]),
                current_date - (i * 3),
                '<h3>Упаковочный лист к накладной № ' || (5000 + i) || '</h3>')
        returning id into v_sheet;
        insert into inv.t_shipping_sheet_item (id_sheet, id_item, n_qty)
        values (v_sheet, v_items[1 + (i * 7) % array_length(v_items, 1)], 1 + i);
    end loop;
end
$$;

-- Numbers in the order the deals were made, as the office would have given them.
update jur.t_deals set id_doc = id_doc + 1000000;
update jur.t_deals d
   set id_doc = n.n
  from (select id, row_number() over (order by d_create, id) as n from jur.t_deals) n
 where n.id = d.id;
select setval('jur.s_deal_doc', coalesce((select max(id_doc) from jur.t_deals), 0) + 1, false);

-- Delivery details as the recipients gave them, on the planned deals.
update jur.t_deals d
   set c_contact_person = p.c_name
  from jur.t_contact_person p
 where p.id_contractor = d.id_contractor
   and d.id_state = 1
   and d.id % 3 = 0;

-- The demo files (the supply contract, its specification, ...) are attached
-- to some deals too, so that the list shows the paper clip.
insert into lrg.t_file_owner (id_file, c_table, n_key)
select f.id, 't_deal', d.id
  from (select id, row_number() over (order by id) as n from lrg.t_file) f
  join (select id, row_number() over (order by id desc) as n from jur.t_deals where id % 7 = 0) d
    on d.n between (f.n - 1) * 3 + 1 and f.n * 3
on conflict do nothing;
