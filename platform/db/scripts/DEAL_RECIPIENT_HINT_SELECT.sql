-- What the recipient's card in the directory says about delivery: the deal
-- editor shows it greyed in the delivery fields the deal leaves empty.
-- Requisites 1 and 5 are the INN and the actual address.
with c as (select cast( :id_contractor as bigint) as id)
select (select r.c_value from jur.t_contractor_requis r
         where r.id_contractor = c.id and r.id_requisite = 5 order by r.id limit 1) as c_address,
       (select r.c_value from jur.t_contractor_requis r
         where r.id_contractor = c.id and r.id_requisite = 1 order by r.id limit 1) as c_inn,
       (select string_agg(p.c_name, ' ,' order by p.id) from jur.t_contact_person p
         where p.id_contractor = c.id) as c_contact_person,
       (select string_agg(t.c_contact, ' ,' order by p.id, t.id) from jur.t_contact t
          join jur.t_contact_person p on p.id = t.id_contact_person
         where p.id_contractor = c.id) as c_phone
  from c
